#!/bin/sh
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a
# bounded time (default 60 s; the first argument sets it). Starts from the
# seeds in fuzz/corpus/<name> and keeps what a run finds in
# build-fuzz/corpus/<name>; a crash or a broken property is written to
# build-fuzz/artifacts/ and fails the run.
#
# The inputs in fuzz/regressions/ reproduced faults found earlier; they are
# replayed first and fail the run if a fault comes back.
#
# A longer run of one fuzzer, after a first run of this script:
#   ASAN_OPTIONS=detect_leaks=0:handle_segv=0 build-fuzz/fuzz-submit \
#       -max_total_time=3600 -handle_segv=0 -detect_leaks=0 build-fuzz/corpus/submit
set -e
# The same UTF-8 locale on every machine, set or not (C.UTF-8 is always there).
export LC_ALL=C.UTF-8
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build-fuzz

cmake -S fuzz -B "$build" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j2

# The JVM uses SIGSEGV itself; neither ASan nor libFuzzer may take it over.
export ASAN_OPTIONS=detect_leaks=0:handle_segv=0
export UBSAN_OPTIONS=print_stacktrace=1
flags="-handle_segv=0 -detect_leaks=0 -print_final_stats=1"
mkdir -p "$build/artifacts"
status=0

for regression in fuzz/regressions/*; do
    [ -f "$regression" ] || continue
    name=$(basename "$regression")
    fuzzer="$build/fuzz-${name%%-*}"
    if "$fuzzer" $flags "$regression" >"$build/artifacts/replay-$name.log" 2>&1; then
        echo "fuzz: regression $name passes"
    else
        echo "fuzz: regression $name FAILS again (see $build/artifacts/replay-$name.log)"
        status=1
    fi
done

# fuzz-submit runs twice: on a core and on a compatibility profile context,
# where binding an unused framebuffer name makes a framebuffer.
for run in submit:core submit:compat calls:core; do
    name="${run%%:*}"
    profile="${run#*:}"
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    log="$build/artifacts/$name-$profile.log"
    if OMBREL_FUZZ_PROFILE="$profile" "$build/fuzz-$name" $flags -max_total_time="$seconds" \
        -artifact_prefix="$build/artifacts/$name-$profile-" "$corpus" "fuzz/corpus/$name" \
        >"$log" 2>&1; then
        result=passed
    else
        result=FAILED
        status=1
    fi
    runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log")
    echo "fuzz: fuzz-$name ($profile profile) $result: ${runs:-?} executions in ${seconds} s (log: $log)"
    [ "$result" = passed ] || grep -E -m3 'runtime error|ERROR: AddressSanitizer|property broken' "$log" || true
done
exit "$status"
