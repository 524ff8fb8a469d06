# Java side: NativeGpu and the record writer, built into a jar with the shaders
# and the native library.
#
#   build/java/ombrel-ui-classes.jar  classes and shaders (what the Java tests compile against)
#   build/ombrel-ui.jar               the same plus native/linux-x86-64/libombrel-ui.so and,
#                                     when OMBREL_WINDOWS_DLL names a file,
#                                     native/windows-x86-64/ombrel-ui.dll
#
# NativeGpu.load() extracts the library of its platform from the jar when it is
# not on java.library.path.

# native.cmake has pinned JAVA_HOME (also in the environment), so FindJava
# picks that JDK rather than whichever java comes first on the PATH.
find_package(Java 17 REQUIRED COMPONENTS Runtime Development)
include(UseJava)
include(GNUInstallDirs)

set(OMBREL_WINDOWS_DLL "" CACHE FILEPATH "Windows build of ombrel-ui.dll to bundle into the jar")
set(CMAKE_JAVA_COMPILE_FLAGS --release 17 -encoding UTF-8 -Xlint:all -Werror)

set(OMBREL_SHADERS
  ${CMAKE_SOURCE_DIR}/shaders/fullscreen.vert
  ${CMAKE_SOURCE_DIR}/shaders/background.frag
  ${CMAKE_SOURCE_DIR}/shaders/blur.frag
  ${CMAKE_SOURCE_DIR}/shaders/record.vert
  ${CMAKE_SOURCE_DIR}/shaders/glass.frag
  ${CMAKE_SOURCE_DIR}/shaders/shape.frag
  ${CMAKE_SOURCE_DIR}/shaders/text.frag)
file(GLOB OMBREL_JAVA_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/java/src/main/java/marlith/sdk/ui/render/*.java)

# The manifest names the module (for users on the module path) and carries the
# library version. NativeGpu reads the version from the resource ombrel-ui.version
# instead (to name its extraction folder), since a package of a named module
# does not see its jar's manifest.
configure_file(${CMAKE_CURRENT_LIST_DIR}/manifest.mf.in ${CMAKE_BINARY_DIR}/java/manifest.mf @ONLY)
file(WRITE ${CMAKE_BINARY_DIR}/java/ombrel-ui.version "${PROJECT_VERSION}")
add_jar(ombrel-ui-classes
  SOURCES ${OMBREL_JAVA_SOURCES}
  RESOURCES NAMESPACE "marlith/sdk/ui/render/shaders" ${OMBREL_SHADERS}
            NAMESPACE "marlith/sdk/ui/render" ${CMAKE_BINARY_DIR}/java/ombrel-ui.version
  MANIFEST ${CMAKE_BINARY_DIR}/java/manifest.mf
  OUTPUT_DIR ${CMAKE_BINARY_DIR}/java)
get_target_property(OMBREL_CLASSES_JAR ombrel-ui-classes JAR_FILE)

# The final jar: the classes jar with the native libraries added under native/.
set(OMBREL_JAR ${CMAKE_BINARY_DIR}/ombrel-ui.jar)
set(_stage ${CMAKE_BINARY_DIR}/java/stage)
set(_stage_commands
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:ombrel-ui> ${_stage}/native/linux-x86-64/libombrel-ui.so)
set(_stage_depends ombrel-ui ${OMBREL_CLASSES_JAR})
if(OMBREL_WINDOWS_DLL)
  if(EXISTS "${OMBREL_WINDOWS_DLL}")
    list(APPEND _stage_commands
      COMMAND ${CMAKE_COMMAND} -E copy ${OMBREL_WINDOWS_DLL} ${_stage}/native/windows-x86-64/ombrel-ui.dll)
    list(APPEND _stage_depends ${OMBREL_WINDOWS_DLL})
  else()
    message(STATUS "OMBREL_WINDOWS_DLL names no file (${OMBREL_WINDOWS_DLL}): the jar holds the Linux library only")
  endif()
endif()
add_custom_command(
  OUTPUT ${OMBREL_JAR}
  ${_stage_commands}
  COMMAND ${CMAKE_COMMAND} -E copy ${OMBREL_CLASSES_JAR} ${OMBREL_JAR}
  COMMAND ${Java_JAR_EXECUTABLE} uf ${OMBREL_JAR} -C ${_stage} native
  DEPENDS ${_stage_depends}
  COMMENT "Creating Java archive ombrel-ui.jar with the native library"
  VERBATIM)
add_custom_target(ombrel-ui-jar ALL DEPENDS ${OMBREL_JAR})
add_dependencies(ombrel-ui-jar ombrel-ui-classes)

install(TARGETS ombrel-ui LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${OMBREL_JAR} DESTINATION ${CMAKE_INSTALL_DATADIR}/java)

include(${CMAKE_CURRENT_LIST_DIR}/maven.cmake)

# Java unit tests (JUnit 5 from Debian's packages), run with the console launcher.
if(OMBREL_TESTS)
  set(OMBREL_JUNIT_JAR /usr/share/java/junit-platform-console-standalone.jar CACHE FILEPATH "JUnit 5 console launcher")
  if(NOT EXISTS ${OMBREL_JUNIT_JAR})
    message(FATAL_ERROR "${OMBREL_JUNIT_JAR} is missing: apt-get install junit5, "
      "or configure with -DOMBREL_TESTS=OFF to build the library and the jars alone")
  endif()
  file(GLOB OMBREL_JAVA_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/java/marlith/sdk/ui/render/*.java)
  add_jar(ombrel-ui-java-tests
    SOURCES ${OMBREL_JAVA_TESTS}
    INCLUDE_JARS ombrel-ui-classes ${OMBREL_JUNIT_JAR}
    OUTPUT_DIR ${CMAKE_BINARY_DIR}/java)
  get_target_property(_tests_jar ombrel-ui-java-tests JAR_FILE)

  # Runs test classes against the final jar, so that they see the jar as shipped.
  function(ombrel_java_test name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "CLASSES;METHODS;JVM_ARGS")
    set(select)
    foreach(class IN LISTS arg_CLASSES)
      list(APPEND select --select-class marlith.sdk.ui.render.${class})
    endforeach()
    foreach(method IN LISTS arg_METHODS)
      list(APPEND select --select-method marlith.sdk.ui.render.${method})
    endforeach()
    # Checked JNI, and any JNI fault the JVM reports fails the test.
    add_test(NAME ${name}
      COMMAND sh ${PROJECT_SOURCE_DIR}/tests/window/jni-checked.sh
        ${Java_JAVA_EXECUTABLE} -Xcheck:jni -Djava.awt.headless=true ${arg_JVM_ARGS}
        -jar ${OMBREL_JUNIT_JAR} --disable-banner --fail-if-no-tests --details=summary
        --class-path ${_tests_jar}:${OMBREL_JAR} ${select})
  endfunction()

  ombrel_java_test(java.records CLASSES CommandBufferTest)
  ombrel_java_test(java.shaders CLASSES ShaderSourcesTest)
  set(_loads "NativeGpuLoadTest#loadsTheLibraryOnceAndItAnswersTheProtocolVersion")
  ombrel_java_test(java.load-from-jar METHODS ${_loads} JVM_ARGS -Djava.library.path=/nonexistent)
  ombrel_java_test(java.load-from-property METHODS ${_loads}
    JVM_ARGS -Dombrel.library=$<TARGET_FILE:ombrel-ui>)

  # A library of another protocol version, named by the property, is refused.
  set(_wrong_version 24163)
  add_library(ombrel-wrong-protocol SHARED ${CMAKE_SOURCE_DIR}/tests/java/wrong-protocol.c)
  target_compile_definitions(ombrel-wrong-protocol PRIVATE WRONG_PROTOCOL_VERSION=${_wrong_version})
  ombrel_java_test(java.load-wrong-protocol
    METHODS "NativeGpuLoadTest#refusesALibraryOfAnotherProtocolVersion"
    JVM_ARGS -Dombrel.library=$<TARGET_FILE:ombrel-wrong-protocol> -Dombrel.test.wrongProtocol=${_wrong_version})
endif()
