#!/bin/sh
# Builds ombrel-ui.dll with MinGW-w64, checks its PE tables, and runs the
# Windows harness against it under Wine (Wine's opengl32 reaches Mesa through
# an X server). Exits non-zero when anything fails.
#   build-win/                  the library, configured from the top-level project
#   build-win/wine-tests/       harness, JAWT stub, unit test of the Win32 text
#   build-win/wine-prefix/      private Wine prefix, made once and kept
# Usage: tests/wine/run.sh [test-name-filter]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"

sh scripts/ensure-packages.sh cmake g++-mingw-w64-x86-64 wine64 xvfb

toolchain="$root/cmake/mingw-w64.cmake"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
cmake --build build-win -j2
cmake -S tests/wine -B build-win/wine-tests -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
cmake --build build-win/wine-tests -j2

sh tests/wine/check-dll.sh build-win/ombrel-ui.dll

wine=/usr/lib/wine/wine64
export WINEPREFIX="$root/build-win/wine-prefix" WINEDEBUG=-all
# No Mono or Gecko: the harness needs neither, and their set-up is slow.
export WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    return 0
}
trap cleanup EXIT INT TERM

# Use the caller's X server when it answers, else start Xvfb on a free display.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    tries=0
    until [ -e "/tmp/.X11-unix/X$n" ]; do
        tries=$((tries + 1))
        [ $tries -le 100 ] || { echo "run.sh: Xvfb did not start on :$n"; exit 1; }
        sleep 0.1
    done
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1
    # Without a window manager Wine waits two seconds for every managed
    # window that goes away; the harness makes and destroys dozens.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi

# Z: is the Unix root inside the prefix.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
tests="$root/build-win/wine-tests"

status=0
"$wine" "$tests/fail-win32-test.exe" || status=1
"$wine" "$tests/wine-harness.exe" "$(winpath "$root/build-win/ombrel-ui.dll")" \
    "$(winpath "$tests/jawt-stub.dll")" "$(winpath "$root/shaders")" ${1:+"$1"} || status=1
exit $status
