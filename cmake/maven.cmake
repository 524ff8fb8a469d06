# Maven artifacts beside build/ombrel-ui.jar (the main artifact), for a local
# or remote Maven repository under the coordinates marlith.sdk:ombrel-ui:VERSION:
#
#   build/ombrel-ui-VERSION.pom           coordinates, no dependencies
#   build/ombrel-ui-VERSION-sources.jar   the Java sources
#   build/ombrel-ui-VERSION-javadoc.jar   the API documentation
#
# javadoc checks every doc comment (HTML, syntax, references, accessibility)
# and that every public class, member, parameter and result has one; any
# warning fails the build.
set(OMBREL_GROUP_ID marlith.sdk)
set(OMBREL_ARTIFACT_ID ombrel-ui)
set(_base ${CMAKE_BINARY_DIR}/${OMBREL_ARTIFACT_ID}-${PROJECT_VERSION})
set(OMBREL_POM ${_base}.pom)
set(OMBREL_SOURCES_JAR ${_base}-sources.jar)
set(OMBREL_JAVADOC_JAR ${_base}-javadoc.jar)
configure_file(${CMAKE_CURRENT_LIST_DIR}/ombrel-ui.pom.in ${OMBREL_POM} @ONLY)

set(_java_root ${CMAKE_SOURCE_DIR}/java/src/main/java)
add_custom_command(
  OUTPUT ${OMBREL_SOURCES_JAR}
  COMMAND ${Java_JAR_EXECUTABLE} --create --file ${OMBREL_SOURCES_JAR} -C ${_java_root} marlith
  DEPENDS ${OMBREL_JAVA_SOURCES}
  COMMENT "Creating the sources jar"
  VERBATIM)

set(_javadoc ${CMAKE_BINARY_DIR}/java/javadoc)
add_custom_command(
  OUTPUT ${OMBREL_JAVADOC_JAR}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_javadoc}
  COMMAND ${Java_JAVADOC_EXECUTABLE} -quiet -Xdoclint:all -Werror --release 17 -encoding UTF-8
    -d ${_javadoc} ${OMBREL_JAVA_SOURCES}
  COMMAND ${Java_JAR_EXECUTABLE} --create --file ${OMBREL_JAVADOC_JAR} -C ${_javadoc} .
  DEPENDS ${OMBREL_JAVA_SOURCES}
  COMMENT "Creating the javadoc jar"
  VERBATIM)
add_custom_target(ombrel-ui-maven ALL DEPENDS ${OMBREL_SOURCES_JAR} ${OMBREL_JAVADOC_JAR})

install(FILES ${OMBREL_POM} ${OMBREL_SOURCES_JAR} ${OMBREL_JAVADOC_JAR}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/java)
