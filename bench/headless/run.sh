#!/bin/sh
# Times the benchmark scene without a JVM or a display server, on whatever GL
# driver EGL offers (a GPU through the device platform where there is one):
# ombrel-ui driven through its JNI functions, and the floor's GL work on the
# same context, at 1280x720, 1920x1080 and 3840x2160 for every configuration
# of scripts/bench.sh. Builds nothing; takes at most about five minutes.
#
#   sh run.sh OUT_DIR
#
# Runs from the folder the build assembles (BUILD/bench/headless: this script,
# ombrel-headless, libombrel-ui.so and shaders/), which can be copied to
# another machine as it is; from bench/headless of the source tree it uses
# build/bench/headless. Writes to OUT_DIR: meta.txt (EGL platform, GL
# renderer and version, timer bits, timing), results.csv, summary.txt (ours
# and the floor per configuration and round) and png/ (1280x720 pictures).
set -eu
if [ $# -ne 1 ]; then
    echo "usage: sh $0 OUT_DIR" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
folder=$here
[ -x "$folder/ombrel-headless" ] || folder="$here/../../build/bench/headless"
if [ ! -x "$folder/ombrel-headless" ]; then
    echo "run.sh: no ombrel-headless next to this script nor in build/bench/headless" >&2
    exit 1
fi
mkdir -p "$1"
out=$(cd "$1" && pwd)
program="$folder/ombrel-headless"

# As in scripts/bench.sh: glibc keeps freed heap memory, so that a software
# rasterizer does not fault its per-frame memory back in on every frame.
export GLIBC_TUNABLES="glibc.malloc.trim_threshold=1073741824:glibc.malloc.top_pad=268435456:glibc.malloc.mmap_threshold=33554432"

"$program" --probe >"$out/meta.txt"
# A software rasterizer takes from 10 ms to about 2 s per frame here, so each
# configuration gets one warm-up frame and three timed ones in one round; a
# GPU gets three rounds of at least half a second (at most 240 frames) each.
case "$(sed -n 's/^renderer: //p' "$out/meta.txt")" in
    *llvmpipe* | *softpipe* | *[Ss]oftware*) timing="--rounds 1 --budget 0 --frames 3" ;;
    *) timing="--rounds 3 --budget 0.5 --frames 5" ;;
esac
echo "timing: $timing" >>"$out/meta.txt"
cat "$out/meta.txt"

configs=200:1:16,200:0:0,0:1:16,0:0:0,1000:1:16,1000:0:0,200:8:16,200:1:0,200:1:4,200:1:32
for size in 1280x720 1920x1080 3840x2160; do
    png=""
    [ "$size" != 1280x720 ] || png=--png
    { "$program" $png --from "$folder" --out "$out" --size "$size" --configs "$configs" $timing ||
        echo "$size" >>"$out/failed"; } | tee -a "$out/summary.txt"
done
if [ -f "$out/failed" ]; then
    echo "run.sh: ombrel-headless failed at $(cat "$out/failed")" >&2
    exit 1
fi
echo "results in $out"
