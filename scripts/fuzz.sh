#!/bin/sh
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a
# bounded time (default 60 s; the first argument sets it). Starts from the
# seeds in fuzz/corpus/<name> and keeps what a run finds in
# build-fuzz/corpus/<name>; a crash or a broken property is written to
# build-fuzz/artifacts/ and fails the run.
#
# The inputs in fuzz/regressions/ reproduce faults already reported; they are
# replayed first and fail the run until the library is fixed. With
# OMBREL_FUZZ_SKIP_KNOWN=1 the fuzzers stay away from those faults so that a
# run explores past them.
#
# A longer run of one fuzzer: build-fuzz/fuzz-submit -max_total_time=3600
# -handle_segv=0 -detect_leaks=0 build-fuzz/corpus/submit
set -e
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
    if env -u OMBREL_FUZZ_SKIP_KNOWN "$fuzzer" $flags "$regression" \
        >"$build/artifacts/replay-$name.log" 2>&1; then
        echo "fuzz: $name no longer fails"
    else
        echo "fuzz: $name still fails (known fault, see $build/artifacts/replay-$name.log)"
        status=1
    fi
done

for name in submit calls; do
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    log="$build/artifacts/$name.log"
    if "$build/fuzz-$name" $flags -max_total_time="$seconds" \
        -artifact_prefix="$build/artifacts/$name-" "$corpus" "fuzz/corpus/$name" >"$log" 2>&1; then
        result=passed
    else
        result=FAILED
        status=1
    fi
    runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log")
    echo "fuzz: fuzz-$name $result: ${runs:-?} executions in ${seconds} s (log: $log)"
    [ "$result" = passed ] || grep -E -m3 'runtime error|ERROR: AddressSanitizer|property broken' "$log" || true
done
exit "$status"
