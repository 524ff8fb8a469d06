# Settings of the test projects that are configured on their own (fuzz/ with
# clang, tests/wine with MinGW-w64): the language level, the default build
# type and the JDK whose headers they use.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()
set(JAVA_HOME "/usr/lib/jvm/java-17-openjdk-amd64" CACHE PATH "JDK whose headers and JVM are used")
