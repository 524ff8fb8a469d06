#!/bin/sh
# Installs the build's Maven artifacts into a fresh local repository with the
# README's install:install-file line, builds the project in
# tests/window/packaging/consumer against them with Maven, offline (every
# repository is Debian's /usr/share/maven-repo, where the packaged plugins
# live), and runs it on an X display with only the installed jar on its class
# path: it must draw a frame.
# Usage: tests/window/maven-consumer.sh JAVA_HOME BUILD_DIR VERSION
set -eu
here=$(cd "$(dirname "$0")" && pwd)
export JAVA_HOME=$1
build=$2 version=$3
command -v mvn >/dev/null || { echo "maven-consumer: mvn is missing: apt-get install maven"; exit 1; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cat >"$dir/settings.xml" <<'XML'
<settings>
  <mirrors>
    <mirror><id>debian</id><mirrorOf>*</mirrorOf><url>file:///usr/share/maven-repo</url></mirror>
  </mirrors>
</settings>
XML
mvn() {
    command mvn -B -q -s "$dir/settings.xml" -Dmaven.repo.local="$dir/repository" "$@"
}

cd "$build"
mvn install:install-file -Dfile=ombrel-ui.jar -DpomFile=ombrel-ui-$version.pom \
    -Dsources=ombrel-ui-$version-sources.jar -Djavadoc=ombrel-ui-$version-javadoc.jar
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
