#!/bin/sh
# Builds the library and the jars in build/, then runs the demo. Without
# arguments it renders 300 frames and saves the last as build/demo.png; any
# arguments go to the demo instead (--help lists them). Starts a private Xvfb
# when no X display answers.
set -e
# The same UTF-8 locale on every machine, set or not (C.UTF-8 is always there).
export LC_ALL=C.UTF-8
cd "$(dirname "$0")/.."
# What configuring build/ needs, tests included, so that this build folder
# stays the one scripts/test.sh uses.
sh scripts/ensure-packages.sh \
    build-essential cmake pkg-config openjdk-17-jdk libgtest-dev \
    libx11-dev libgl-dev libegl-dev libgl1-mesa-dri libpng-dev xvfb x11-utils \
    junit5 libjogl2-java libjogl2-jni
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target ombrel-demo
if [ "$#" -eq 0 ]; then
    set -- --frames 300 --screenshot build/demo.png
fi
sh tests/with-xvfb.sh java -jar build/ombrel-demo.jar "$@"
