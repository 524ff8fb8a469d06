# The renderer library: one compile unit, no C++ runtime, only the JNI
# functions exported.
if(NOT WIN32)
  set(JAVA_HOME "/usr/lib/jvm/java-17-openjdk-amd64" CACHE PATH "JDK used for headers, tests and the jar")
  set(ENV{JAVA_HOME} "${JAVA_HOME}")
  find_package(JNI REQUIRED)
  find_package(X11 REQUIRED)
endif()

add_library(ombrel-ui SHARED native/renderer.cpp)
set_target_properties(ombrel-ui PROPERTIES
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  LINKER_LANGUAGE C)
target_compile_options(ombrel-ui PRIVATE
  -Wall -Wextra -Werror -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
  -fno-threadsafe-statics)

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
else()
  target_include_directories(ombrel-ui PRIVATE ${JNI_INCLUDE_DIRS})
  target_link_libraries(ombrel-ui PRIVATE X11::X11)
  target_link_options(ombrel-ui PRIVATE
    -Wl,--version-script=${CMAKE_CURRENT_SOURCE_DIR}/native/exports.map
    -Wl,--no-undefined -Wl,-z,defs -Wl,--as-needed)
  set_property(TARGET ombrel-ui APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/native/exports.map)
endif()

if(OMBREL_SANITIZE)
  set(OMBREL_SANITIZE_FLAGS -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(ombrel-ui PRIVATE ${OMBREL_SANITIZE_FLAGS})
  target_link_options(ombrel-ui PRIVATE ${OMBREL_SANITIZE_FLAGS})
  set_target_properties(ombrel-ui PROPERTIES LINKER_LANGUAGE CXX)
  # Every target defined after this point (the GL call recorder, the test
  # harness and the native tests) gets the same instrumentation, so a fault
  # in test code is caught as well and the test binary carries the runtime.
  add_compile_options(${OMBREL_SANITIZE_FLAGS})
  add_link_options(${OMBREL_SANITIZE_FLAGS})
endif()
