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
root=$(cd "$(dirname "$0")/../.." && pwd)
sh "$root/scripts/ensure-packages.sh" valgrind
build=$1
shift
tool="$build/bench/ombrel-shader-cost"
small=64
large=256
draws=4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# totals DIR: "case total" lines of one run, the Nth dump holding the Nth case.
totals() {
    n=1
    while read -r name; do
        echo "$name $(sed -n 's/^totals: *//p' "$1/out.$n" | cut -d' ' -f1)"
        n=$((n + 1))
    done <"$1/names" | sort
}

for shaders in "$@"; do
    for size in $small $large; do
        mkdir -p "$work/$size"
        rm -f "$work/$size"/out*
        LP_NUM_THREADS=0 valgrind --tool=callgrind --smc-check=all-non-file \
            --zero-before=ombrel_measured_draws --dump-after=ombrel_measured_draws \
            --callgrind-out-file="$work/$size/out" "$tool" --shaders "$shaders" --size "$size" \
            >"$work/$size/names" 2>"$work/$size/log" || { cat "$work/$size/log" >&2; exit 1; }
        totals "$work/$size" >"$work/$size/totals"
    done
    echo "$shaders: instructions per pixel"
    join "$work/$small/totals" "$work/$large/totals" | awk -v s=$small -v l=$large -v d=$draws \
        '{ printf "  %-18s %6.0f\n", $1, ($3 - $2) / ((l * l - s * s) * d) }'
done
