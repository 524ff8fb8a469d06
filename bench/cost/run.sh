#!/bin/sh
# Instructions per pixel of every record kind, for one or more shader folders:
# runs ombrel-shader-cost under callgrind, llvmpipe on one thread (the
# rasterizer works in the calling thread), at two sizes, and prints per case
# (total at the large size - total at the small size) / (difference of pixels
# drawn). Needs an X display (tests/with-xvfb.sh) and a build with
# -DOMBREL_BENCH=ON.
#
#   sh bench/cost/run.sh BUILD_DIR SHADER_DIR [SHADER_DIR...]
set -eu
build=$1
shift
tool="$build/bench/ombrel-shader-cost"
small=64
large=256
draws=4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# totals DIR SIZE: "case total" lines of the dumps of one run.
totals() {
    for f in "$1"/out.*; do
        name=$(sed -n 's/^desc: Trigger: Client Request: //p' "$f")
        [ -n "$name" ] || continue
        echo "$name $(sed -n 's/^totals: *//p' "$f" | cut -d' ' -f1)"
    done | sort
}

for shaders in "$@"; do
    for size in $small $large; do
        mkdir -p "$work/$size"
        rm -f "$work/$size"/out.*
        LP_NUM_THREADS=0 valgrind --tool=callgrind --smc-check=all-non-file \
            --callgrind-out-file="$work/$size/out.%p" "$tool" --shaders "$shaders" --size "$size" \
            >"$work/$size/log" 2>&1 || { cat "$work/$size/log" >&2; exit 1; }
        totals "$work/$size" >"$work/$size/totals"
    done
    echo "$shaders: instructions per pixel"
    join "$work/$small/totals" "$work/$large/totals" | awk -v s=$small -v l=$large -v d=$draws \
        '{ printf "  %-18s %6.0f\n", $1, ($3 - $2) / ((l * l - s * s) * d) }'
done
