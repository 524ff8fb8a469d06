#!/bin/sh
# The README's Maven set-up as a reader copies it: its settings.xml (Debian's
# /usr/share/maven-repo, where the packaged plugins live, standing in for
# Maven Central) and its install:install-file line install the build's
# artifacts into a fresh local repository; then the project in
# tests/window/packaging/consumer builds against them with those settings and
# runs on an X display with only the installed jar on its class path: it must
# draw a frame. No step reaches the network.
# Usage: tests/window/maven-consumer.sh JAVA_HOME BUILD_DIR VERSION
set -eu
here=$(cd "$(dirname "$0")" && pwd)
readme=$here/../../README.md
export JAVA_HOME=$1
build=$2 version=$3
command -v mvn >/dev/null || { echo "maven-consumer: mvn is missing: apt-get install maven"; exit 1; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
awk '/^```xml$/ { inside = 1; block = ""; next }
     inside && /^```$/ { inside = 0; if (block ~ /^<settings>/) printf "%s", block; next }
     inside { block = block $0 "\n" }' "$readme" >"$dir/settings.xml"
# The line names the artifacts in build/; here they are in BUILD_DIR.
install=$(sed -n 's|=build/|='"$build"'/|g; /^mvn install:install-file /p' "$readme")
[ -s "$dir/settings.xml" ] && [ -n "$install" ] ||
    { echo "maven-consumer: the README has no settings.xml or no install line"; exit 1; }
mvn() {
    command mvn -B -q -s "$dir/settings.xml" -Dmaven.repo.local="$dir/repository" "$@"
}

eval "$install"
installed=$dir/repository/marlith/sdk/ombrel-ui/$version
for suffix in .pom .jar -sources.jar -javadoc.jar; do
    [ -s "$installed/ombrel-ui-$version$suffix" ] || { echo "maven-consumer: ombrel-ui-$version$suffix not installed"; exit 1; }
done

cp -R "$here/packaging/consumer" "$dir/consumer"
cd "$dir/consumer"
mvn -Dombrel.version="$version" compile
env -u LD_LIBRARY_PATH sh "$here/../with-xvfb.sh" sh "$here/jni-checked.sh" \
    "$JAVA_HOME/bin/java" -Xcheck:jni -Djava.io.tmpdir="$dir" \
    -cp "target/classes:$installed/ombrel-ui-$version.jar" consumer.DrawOneFrame
