#!/bin/sh
# Benchmarks ombrel-ui against its peers, against the raw GL floor and against
# the limit of minimal shaders, on Mesa llvmpipe under a private Xvfb, and
# writes a summary.
#
#   sh scripts/bench.sh [--quick] [--rounds N] [--out DIR] [--default-malloc]
#                       [--contestants A,B,...] [--configs "WxH=N:G:SIGMA,... WxH=..."] [--build DIR]
#
# Contestants, run in turn for every configuration in each round. The order
# rotates from round to round so that drifting machine load spreads evenly;
# ombrel, floor and limit always run back to back, in alternating order,
# because their ratios are the finest ones measured:
#   ombrel        ombrel-ui through its Java API on an AWT Canvas
#   floor         the same GL work issued directly from C++ (bench/floor)
#   limit         the floor with single-purpose minimal shaders (bench/limit)
#   javafx        JavaFX, ES2 pipeline forced onto llvmpipe
#   java2d-box    Java2D into a BufferedImage, three-pass box blur
#   java2d-gauss  Java2D into a BufferedImage, exact Gaussian ConvolveOp
#   software      ombrel-ui's software renderer (the ombrel frame drawn on the CPU)
#   auto          the ombrel frame through a session on the auto path, which times
#                 both paths on each configuration's first frames and keeps the faster
# Configurations vary one dimension at a time around 1280x720, N=200
# rectangles, G=1 glass panel, sigma 16; --quick runs a small subset.
# --contestants runs only the named contestants (in the same rotation) and
# --configs only the given configurations, one group per size; with either,
# the micro-benchmark is left out. --build names the build folder (build-bench).
#
# Output (default build-bench/bench-out/DATE): results.csv, stages.csv,
# micro.txt, png/, meta.txt, logs/ and summary.md.
#
# Every contestant runs with GLIBC_TUNABLES that keep glibc from returning
# freed heap memory to the kernel: in this virtual machine a page fault costs
# tens of microseconds, and with glibc's default trimming llvmpipe faults its
# per-frame scene memory back in on every frame, which buries the rendering
# under kernel time. --default-malloc runs without them.
set -eu
# The same UTF-8 locale on every machine, set or not (C.UTF-8 is always there).
export LC_ALL=C.UTF-8
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

quick=0
rounds=3
out=""
only=""
configs=""
build=build-bench
tunables="glibc.malloc.trim_threshold=1073741824:glibc.malloc.top_pad=268435456:glibc.malloc.mmap_threshold=33554432"
# The rounds run on an X server of their own: once the options are checked
# and everything is built, the script starts itself again under
# tests/with-xvfb.sh, without DISPLAY so that it starts a private Xvfb. Its
# 1280 x 1024 screen is smaller than the 1920 x 1080 windows; every contestant
# draws and reads back the same pixels there as on a larger screen.
on_xvfb=0
parse() {
    while [ $# -gt 0 ]; do
        case "$1" in
            --on-xvfb) on_xvfb=1 ;;
            --quick) quick=1 ;;
            --rounds) rounds=$2; shift ;;
            --out) out=$2; shift ;;
            --default-malloc) tunables="" ;;
            --contestants) only=$(echo "$2" | tr ',' ' '); shift ;;
            --configs) configs=$2; shift ;;
            --build) build=$2; shift ;;
            *) echo "usage: $0 [--quick] [--rounds N] [--out DIR] [--default-malloc] [--contestants LIST]" \
                "[--configs GROUPS] [--build DIR]" >&2; exit 2 ;;
        esac
        shift
    done
}
parse "$@"

if [ "$on_xvfb" -eq 0 ]; then
    sh scripts/ensure-packages.sh build-essential cmake openjdk-17-jdk libgtest-dev libbenchmark-dev \
        libx11-dev libgl-dev libegl-dev libegl-mesa0 libgl1-mesa-dri libpng-dev xvfb x11-utils openjfx junit5
    cmake -S . -B "$build" -DOMBREL_BENCH=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j2 --target ombrel-ui-jar ombrel-floor ombrel-bench ombrel-submit-bench >/dev/null
    exec env -u DISPLAY sh tests/with-xvfb.sh sh "$root/scripts/bench.sh" --on-xvfb "$@"
fi

[ -n "$out" ] || out="$build/bench-out/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$out/png" "$out/logs"
out=$(cd "$out" && pwd)

if [ "$quick" -eq 1 ]; then
    budget=0.4
    groups="1280x720=200:1:16,200:0:0,200:1:4,200:1:32,200:1:0"
else
    budget=1.5
    groups="640x360=200:1:16,200:0:0
1280x720=200:1:16,200:0:0,0:1:16,0:0:0,1000:1:16,1000:0:0,200:8:16,200:1:0,200:1:4,200:1:32
1920x1080=200:1:16,200:0:0"
fi
[ -z "$configs" ] || groups=$configs
peers="javafx java2d-box java2d-gauss software auto"
[ -z "$tunables" ] || export GLIBC_TUNABLES="$tunables"

classpath="$root/$build/bench/ombrel-bench.jar:$root/$build/ombrel-ui.jar"
java="java -Xss4m -cp $classpath"
javafx="java --module-path /usr/share/openjfx/lib --add-modules javafx.graphics -Dprism.order=es2 \
-Dprism.forceGPU=true -Dprism.vsync=false -Djavafx.animation.fullspeed=true -Dprism.verbose=true \
-cp $classpath"

{
    echo "started: $(date -u '+%Y-%m-%d %H:%M:%S UTC')"
    echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
    echo "cpus: $(nproc), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
    echo "mode: $([ "$quick" -eq 1 ] && echo quick || echo full), rounds: $rounds, budget per configuration: ${budget}s"
    echo "GLIBC_TUNABLES: ${tunables:-default}"
    echo "java: $(java -version 2>&1 | head -1)"
} >"$out/meta.txt"

failed=0
# run CONTESTANT SIZE CONFIGS ROUND
run() {
    args="--size $2 --configs $3 --round $4 --budget $budget --out $out/results.csv"
    [ "$4" -ne 1 ] || args="$args --png $out/png"
    log="$out/logs/$1-$2-round$4.log"
    case "$1" in
        floor | limit)
            shaders="$root/shaders"
            [ "$1" = floor ] || shaders="$root/bench/limit"
            set -- "$root/$build/bench/ombrel-floor" --name "$1" --shaders "$shaders" --stages "$out/stages.csv" $args ;;
        javafx) set -- $javafx marlith.bench.Bench javafx $args ;;
        *) set -- $java marlith.bench.Bench "$1" $args ;;
    esac
    if ! "$@" >"$log" 2>&1; then
        echo "bench: failed, see $log" >&2
        failed=1
    fi
}

# Rotates a word list left by N places.
rotate() {
    n=$1
    shift
    i=0
    while [ "$i" -lt "$n" ]; do
        first=$1
        shift
        set -- "$@" "$first"
        i=$((i + 1))
    done
    echo "$@"
}

round=1
while [ "$round" -le "$rounds" ]; do
    echo "round $round of $rounds, load $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$out/meta.txt"
    trio="ombrel floor limit"
    [ $((round % 2)) -eq 1 ] || trio="limit floor ombrel"
    order=""
    slot=0
    for peer in $(rotate $(((round - 1) % 5)) $peers); do
        [ "$slot" -ne $(((round - 1) % 6)) ] || order="$order $trio"
        order="$order $peer"
        slot=$((slot + 1))
    done
    [ "$slot" -ne $(((round - 1) % 6)) ] || order="$order $trio"
    if [ -n "$only" ]; then
        kept=""
        for c in $order; do
            case " $only " in *" $c "*) kept="$kept $c" ;; esac
        done
        order=$kept
    fi
    for group in $groups; do
        size=${group%%=*}
        for c in $order; do
            run "$c" "$size" "${group#*=}" "$round"
        done
    done
    round=$((round + 1))
done

if ! ls "$out"/logs/javafx-*round1.log >/dev/null 2>&1; then
    :
elif grep -q "ES2Pipeline\|es2" "$out"/logs/javafx-*round1.log 2>/dev/null; then
    echo "javafx: $(cat "$out"/logs/javafx-*round1.log | grep -m1 -i 'renderer:' | sed 's/^ *//')" >>"$out/meta.txt"
else
    echo "bench: JavaFX did not use the ES2 pipeline" >&2
    failed=1
fi

if [ -z "$only$configs" ]; then
    echo "micro-benchmark, load $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$out/meta.txt"
    if ! "$build/bench/ombrel-submit-bench" --summary "$out/micro.txt" --benchmark_repetitions=5 \
        --benchmark_enable_random_interleaving=true --benchmark_min_time=0.2 >"$out/logs/micro.log" 2>&1; then
        echo "bench: micro-benchmark failed, see $out/logs/micro.log" >&2
        failed=1
    fi
fi

{
    echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
    echo "finished: $(date -u '+%Y-%m-%d %H:%M:%S UTC')"
} >>"$out/meta.txt"
$java marlith.bench.Bench analyze "$out"
echo "results in $out"
exit "$failed"
