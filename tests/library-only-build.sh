#!/bin/sh
# Configures and builds the library and the jars alone (-DOMBREL_TESTS=OFF) in
# a fresh folder with every test dependency pointed at nothing: GoogleTest,
# Google Benchmark and libpng disabled as packages (a REQUIRED lookup of one of
# them is then a configure error), and the JUnit, JOGL and EGL lookups naming
# files that do not exist. The build must succeed and yield the library, a jar
# that bundles it and carries the version, and the Maven artifacts.
# Usage: tests/library-only-build.sh SOURCE_DIR BUILD_DIR CMAKE GENERATOR JAR VERSION
set -eu
src=$1 dir=$2 cmake=$3 generator=$4 jar=$5 version=$6
none=/nonexistent/hidden-test-dependency
rm -rf "$dir"
"$cmake" -S "$src" -B "$dir" -G "$generator" -DOMBREL_TESTS=OFF \
    -DOMBREL_JUNIT_JAR=$none.jar -DOMBREL_JOGL_JARS=$none.jar -DOMBREL_EGL_LIBRARY=$none.so \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_PNG=ON
"$cmake" --build "$dir" -j1
cd "$dir"
for f in libombrel-ui.so ombrel-ui.jar "ombrel-ui-$version.pom" \
         "ombrel-ui-$version-sources.jar" "ombrel-ui-$version-javadoc.jar"; do
    [ -s "$f" ] || { echo "library-only build: $f is missing"; exit 1; }
done
"$jar" tf ombrel-ui.jar | grep -q -x native/linux-x86-64/libombrel-ui.so ||
    { echo "library-only build: the jar does not bundle the library"; exit 1; }
"$jar" xf ombrel-ui.jar META-INF/MANIFEST.MF
grep -q "^Implementation-Version: $version" META-INF/MANIFEST.MF ||
    { echo "library-only build: the manifest lacks the version $version"; exit 1; }
[ ! -e CTestTestfile.cmake ] || { echo "library-only build: tests were configured"; exit 1; }
echo "library-only build: library, jar and Maven artifacts built without the test packages"
