#!/bin/sh
# Runs a selection of the native tests (embedded JVM, Mesa llvmpipe) under
# valgrind memcheck, each test in a process of its own, from the plain build
# in build-vg. Memory errors and definite leaks fail the run; the
# suppressions in tests/robustness/valgrind.supp cover only the JVM's and
# Mesa's own code. The first argument replaces the default gtest filter.
set -e
# The same UTF-8 locale on every machine, set or not (C.UTF-8 is always there).
export LC_ALL=C.UTF-8
cd "$(dirname "$0")/.."
root="$PWD"
build="$root/build-vg"
logs="$build/valgrind-logs"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target ombrel-native-tests ombrel-robustness-tests
rm -rf "$logs"
mkdir -p "$logs"

# One test per area of the library: start-up and close, failed start-up,
# the guard, the command stream, glass and backdrop refresh, client textures
# and readback, and the fault regressions.
default_tests="ombrel-native-tests:Profiles/Lifecycle.AttachAgainAfterCloseWorks/core
ombrel-native-tests:Profiles/Programs.OnlyTheFirstOfSeveralFailuresIsRaised/core
ombrel-native-tests:Calls/GuardTest.EntryPointLeavesAnyHostStateAsItWas/compat_submit
ombrel-native-tests:SubmitTest.ScissorBoxWidensRightAndTopEdgesToWholePixels
ombrel-native-tests:Profiles/Pixels.BackdropRefreshLetsLaterGlassSeeEarlierGlass/core
ombrel-native-tests:Profiles/Textures.UploadWritesRowsLowestFirstWhateverTheHostUnpackState/core
ombrel-native-tests:Profiles/Textures.ReadPixelsNeverWritesPastTheRectangle/core
ombrel-robustness-tests:RendererTest.*Upload*:RendererTest.*ReadPixels*:RendererTest.*Misaligned*:RendererTest.*CreateTexture*"
tests="${1:-$default_tests}"

# Mesa unloads its driver when the last EGL display is terminated; a block
# allocated from the unloaded code would show as a leak with no frame to
# name. Preloading the driver keeps it mapped, and its blocks reachable.
driver=/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so
[ -f "$driver" ] || { echo "valgrind: $driver is missing (libgl1-mesa-dri)" >&2; exit 1; }

status=0
for entry in $tests; do
    binary="${entry%%:*}"
    filter="${entry#*:}"
    dir="$build/tests/native"
    [ "$binary" = ombrel-robustness-tests ] && dir="$build/tests/robustness"
    log="$logs/$(echo "$filter" | tr '/*.' '___').log"
    # The JVM writes code it then runs: --smc-check=all-non-file.
    if (cd "$dir" && LD_PRELOAD="$driver" valgrind --smc-check=all-non-file --error-exitcode=99 \
        --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
        --suppressions="$root/tests/robustness/valgrind.supp" --gen-suppressions=all \
        --num-callers=40 "./$binary" --gtest_filter="$filter") >"$log" 2>&1; then
        echo "valgrind: $filter clean"
    else
        echo "valgrind: $filter FAILED (log: $log)"
        grep -E 'ERROR SUMMARY|FAILED' "$log" || true
        status=1
    fi
done
exit "$status"
