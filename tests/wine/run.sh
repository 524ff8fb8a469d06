#!/bin/sh
# Builds ombrel-ui.dll with MinGW-w64, checks its PE tables, and runs the
# Windows harness against it under Wine (Wine's opengl32 reaches Mesa through
# an X server, a private Xvfb unless DISPLAY answers). Exits non-zero when
# anything fails.
#   build-win/                  the library, configured from the top-level project
#   build-win/wine-tests/       harness, JAWT stub, unit test of the Win32 text
#   build-win/wine-prefix/      private Wine prefix, made once and kept
# Usage: tests/wine/run.sh [test-name-filter]
set -eu
# Wine maps Windows path names to Unix ones through the locale: the tests'
# non-ASCII folders need a UTF-8 one, which a minimal machine does not set.
export LC_ALL=C.UTF-8
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"

sh scripts/ensure-packages.sh cmake g++-mingw-w64-x86-64 wine64 xvfb

toolchain="$root/cmake/mingw-w64.cmake"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
cmake --build build-win -j2
cmake -S tests/wine -B build-win/wine-tests -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
cmake --build build-win/wine-tests -j2

sh tests/wine/check-dll.sh build-win/ombrel-ui.dll

exec sh tests/with-xvfb.sh sh tests/wine/run-wine.sh "$@"
