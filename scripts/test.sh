#!/bin/sh
# Builds everything and runs every test suite: the Windows DLL under Wine, then
# the Linux library with its native tests (embedded JVM, Mesa llvmpipe, Xvfb),
# Java, window and demo tests (the jar carries both libraries), the same
# suites again with ASan and UBSan, and each fuzzer for a bounded time.
set -e
# A minimal machine has no locale set; Wine makes the Windows tests' non-ASCII
# folders only under a UTF-8 one, and C.UTF-8 is always there on Debian.
export LC_ALL=C.UTF-8
cd "$(dirname "$0")/.."
sh scripts/ensure-packages.sh \
    build-essential cmake pkg-config openjdk-17-jdk libgtest-dev libbenchmark-dev \
    libx11-dev libgl-dev libegl-dev libegl-mesa0 libgl1-mesa-dri libpng-dev xvfb xauth x11-utils \
    junit5 libjogl2-java libjogl2-jni clang-14 libclang-rt-14-dev \
    maven libmaven-install-plugin-java libmaven-compiler-plugin-java libmaven-resources-plugin-java
sh tests/wine/run.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBREL_WINDOWS_DLL="$PWD/build-win/ombrel-ui.dll"
cmake --build build -j2
(cd build && ctest --output-on-failure -j2)
sh scripts/sanitize.sh
sh scripts/fuzz.sh 60
