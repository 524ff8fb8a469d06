#!/bin/sh
# The jar as shipped: PackagedLoad.java runs in a fresh directory with nothing
# but the jar on the class path and no library path, and checks that the
# library came out of the jar and answers the protocol version.
# 1. Two JVMs released at the same moment extract into one temporary folder:
#    both load, and the folder then holds the one extracted library, whole,
#    and no partial file.
# 2. A damaged extracted copy is replaced; a whole one is reused as it is,
#    also from a read-only temporary folder.
# 3. With an empty read-only temporary folder the library is extracted under
#    ~/.cache; with ~/.cache read-only as well, loading fails and says why.
# Root writes through permission bits, so for root every JVM runs as the
# unprivileged user 65534 (nobody), which meets a read-only folder as a user
# does; a container or chroot allows that where it refuses mount namespaces.
# Usage: tests/window/packaged-load.sh JAVA JAR OMBREL_JAR PACKAGED_LOAD_SOURCE
set -eu
here=$(cd "$(dirname "$0")" && pwd)
java=$1
as_user=""
if [ "$(id -u)" -eq 0 ]; then
    as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
    # Everything that user needs lies under a folder it can reach, whatever TMPDIR says.
    dir=$(mktemp -d -p /tmp)
else
    dir=$(mktemp -d)
fi
trap 'chmod -R u+w "$dir"; rm -rf "$dir"' EXIT
cp "$3" "$dir/ombrel-ui.jar"
cp "$4" "$dir/PackagedLoad.java"
mkdir "$dir/tmp" "$dir/home" "$dir/empty-tmp" "$dir/empty-home" "$dir/bundled"
(cd "$dir/bundled" && "$2" xf ../ombrel-ui.jar native/linux-x86-64/libombrel-ui.so)
bundled=$dir/bundled/native/linux-x86-64/libombrel-ui.so
[ -z "$as_user" ] || chown -R 65534:65534 "$dir"

fail() {
    echo "packaged-load: $*"
    exit 1
}

# run TMPDIR HOME [ARGUMENTS...]: PackagedLoad with these folders as
# java.io.tmpdir and user.home; the folders named in $readonly are read-only
# for it.
readonly=""
run() {
    tmp=$1 home=$2
    shift 2
    [ -z "$readonly" ] || chmod a-w $readonly
    status=0
    env -u LD_LIBRARY_PATH sh "$here/jni-checked.sh" $as_user "$java" -Xcheck:jni \
        -Djava.io.tmpdir="$tmp" -Duser.home="$home" -cp "$dir/ombrel-ui.jar" "$dir/PackagedLoad.java" "$@" ||
        status=$?
    [ -z "$readonly" ] || chmod u+w $readonly
    return $status
}

# extracted FOLDER: the one file under FOLDER, which must be the bundled
# library, whole, in a folder named by version and hash, with nothing else.
extracted() {
    file=$(find "$1" -type f)
    case $file in
        "$1"/ombrel-ui-[0-9]*-[0-9a-f]*/libombrel-ui.so) ;;
        *) fail "expected one extracted library in $1, found: $(find "$1" -mindepth 1)" ;;
    esac
    [ "$(find "$1" -mindepth 1 | wc -l)" -eq 2 ] || fail "more than the library in $1: $(find "$1" -mindepth 1)"
    cmp -s "$file" "$bundled" || fail "$file differs from the bundled library"
    echo "$file"
}

# 1
run "$dir/tmp" "$dir/home" "$dir/ready-1" "$dir/go" >"$dir/log-1" 2>&1 &
first=$!
run "$dir/tmp" "$dir/home" "$dir/ready-2" "$dir/go" >"$dir/log-2" 2>&1 &
second=$!
waited=0
until [ -e "$dir/ready-1" ] && [ -e "$dir/ready-2" ]; do
    kill -0 $first 2>/dev/null && kill -0 $second 2>/dev/null || break
    waited=$((waited + 1))
    [ $waited -lt 600 ] || break
    sleep 0.1
done
touch "$dir/go"
status=0
wait $first || status=$?
wait $second || status=$?
cat "$dir/log-1" "$dir/log-2"
[ $status -eq 0 ] || fail "a JVM loading at the same time as another failed"
file=$(extracted "$dir/tmp")
[ -z "$(ls -A "$dir/home")" ] || fail "the fallback folder was used with a writable temporary folder"

# 2
head -c 4096 "$bundled" >"$file"
run "$dir/tmp" "$dir/home"
extracted "$dir/tmp" >/dev/null
inode=$(stat -c %i "$file")
readonly="$dir/tmp"
run "$dir/tmp" "$dir/home"
[ "$(stat -c %i "$file")" = "$inode" ] || fail "a whole extracted copy was written again"
[ -z "$(ls -A "$dir/home")" ] || fail "the fallback folder was used with a whole copy in the temporary folder"

# 3
readonly="$dir/empty-tmp"
run "$dir/empty-tmp" "$dir/home"
[ -z "$(ls -A "$dir/empty-tmp")" ] || fail "wrote into the read-only temporary folder"
extracted "$dir/home/.cache" >/dev/null
readonly="$dir/empty-tmp $dir/empty-home"
if run "$dir/empty-tmp" "$dir/empty-home" >"$dir/log-3" 2>&1; then
    fail "loaded with no writable folder to extract to"
fi
cat "$dir/log-3"
grep -q "UnsatisfiedLinkError: Cannot extract and load /native/linux-x86-64/libombrel-ui.so" "$dir/log-3" ||
    fail "no clear failure without a writable folder"
echo "packaged-load: concurrent extraction, repair, reuse and fallback all as expected"
