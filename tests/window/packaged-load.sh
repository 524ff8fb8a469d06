#!/bin/sh
# Copies the jar and PackagedLoad.java into a fresh directory and runs the
# program there with nothing but the jar on the class path and no library
# path: the jar alone must yield a working library. Afterwards the directory
# (also the JVM's temporary directory) must hold nothing but the two copies,
# since the extracted library is deleted once loaded.
# Usage: tests/window/packaged-load.sh JAVA OMBREL_JAR PACKAGED_LOAD_SOURCE
set -eu
here=$(cd "$(dirname "$0")" && pwd)
java=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$2" "$dir/ombrel-ui.jar"
cp "$3" "$dir/PackagedLoad.java"
cd "$dir"
env -u LD_LIBRARY_PATH sh "$here/jni-checked.sh" \
    "$java" -Xcheck:jni -Djava.io.tmpdir="$dir" -cp ombrel-ui.jar PackagedLoad.java
left=$(ls -A | grep -v -x -e ombrel-ui.jar -e PackagedLoad.java || true)
if [ -n "$left" ]; then
    echo "packaged-load: files left behind: $left"
    exit 1
fi
