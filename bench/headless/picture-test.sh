#!/bin/sh
# The headless contestants on one short configuration: both report a result
# line with the GL renderer, and both draw the pictures the floor probe draws
# in a window (frame 90, with and without the glass) within one 8-bit step.
#
#   picture-test.sh HEADLESS_FOLDER FLOOR_PROBE PICTURE_DIFF WITH_XVFB OUT_DIR
set -eu
folder=$1 probe=$2 diff=$3 xvfb=$4 out=$5
size=1280x720
config=200:1:16
name=$size-N200-G1-s16
rm -rf "$out"
mkdir -p "$out/window/png" "$out/headless"

sh "$xvfb" "$probe" --name floor --shaders "$folder/shaders" --size $size --configs $config \
    --round 1 --budget 0 --out "$out/window/results.csv" --png "$out/window/png"
"$folder/ombrel-headless" --png --from "$folder" --out "$out/headless" --size $size \
    --configs $config --budget 0 --frames 2

status=0
for contestant in headless-ombrel headless-floor; do
    if ! grep -Eq "^$contestant,1280,720,200,1,16,1,([0-9.]+,){2}2,([0-9.]+,){2}[^,]+\$" \
        "$out/headless/results.csv"; then
        echo "no result line of $contestant in $out/headless/results.csv" >&2
        status=1
    fi
    for what in before final; do
        "$diff" "$out/window/png/floor-$name-$what.png" \
            "$out/headless/png/$contestant-$name-$what.png" 1 || status=1
    done
done
exit $status
