#!/bin/sh
# Builds the library, the GL call recorder and the native tests with ASan and
# UBSan (OMBREL_SANITIZE) in build-asan, runs the native tests there with leak
# checking, then the Java tests once in real java processes with the sanitized
# library loaded. Any sanitizer report, JNI warning or test failure makes the
# script exit non-zero.
set -e
# The same UTF-8 locale on every machine, set or not (C.UTF-8 is always there).
export LC_ALL=C.UTF-8
cd "$(dirname "$0")/.."
root="$PWD"
build="$root/build-asan"
logs="$build/sanitize-logs"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBREL_SANITIZE=ON
cmake --build "$build" -j2
rm -rf "$logs"
mkdir -p "$logs"

libasan="$(gcc -print-file-name=libasan.so)"
# Mesa unloads its driver when the last EGL display is terminated; leaks
# allocated from the unloaded code could be neither symbolized nor
# suppressed. Preloading the driver keeps it mapped for the whole process.
driver=/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so
[ -f "$driver" ] || { echo "sanitize: $driver is missing (libgl1-mesa-dri)" >&2; exit 1; }

# The JVM handles SIGSEGV itself (implicit null checks, safepoints), so ASan
# must leave that signal alone.
# intercept_tls_get_addr=0: GCC 12's runtime guesses the size of a dlopened
# module's thread-local block from the 16 bytes before it when the block
# starts 16 bytes into a page (an old glibc layout). With glibc 2.36 those
# bytes are ASan's own chunk header, so the guess is a range from a stack id
# (about 0x1ec0) spanning gigabytes, and the leak check crashes at exit
# ("Tracer caught signal 11") whenever such a block, like the GL call
# recorder's, lands there. The blocks are ordinary heap chunks reachable
# from each thread's TLS, so the leak check still scans them.
status=0
(
    cd "$build"
    LD_PRELOAD="$libasan $driver" \
    ASAN_OPTIONS=detect_leaks=1:handle_segv=0:intercept_tls_get_addr=0 \
    LSAN_OPTIONS="suppressions=$root/tests/robustness/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest -j2 -E '^(java|demo)\.' --output-on-failure --output-log "$logs/native.log"
) || status=1

# The Java tests and the demo's load the library into a plain java process:
# the ASan runtime has to be preloaded there, and the JVM's own allocations
# are not ours to leak-check. Every JVM runs with -Xcheck:jni.
(
    cd "$build"
    LD_PRELOAD="$libasan" \
    ASAN_OPTIONS=detect_leaks=0:handle_segv=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    JAVA_TOOL_OPTIONS=-Xcheck:jni \
    ctest -R '^(java|demo)\.' --output-on-failure --verbose --output-log "$logs/java.log"
) > "$logs/java-console.log" 2>&1 || status=1
cat "$logs/java-console.log"

# A sanitizer report printed by a process whose exit status went unchecked
# still counts.
if grep -E -l 'runtime error:|ERROR: (Address|Leak)Sanitizer' "$logs"/*.log; then
    echo "sanitize: sanitizer reports in the logs above" >&2
    status=1
fi
# JNI faults the JVMs reported, judged as the window tests judge them
# (jni-checked.sh lets through only JOGL and the JDK's own font and AWT code).
if ! sed -E 's/^[0-9]+: //' "$logs/java.log" >"$logs/java-plain.log" ||
    ! sh tests/window/jni-checked.sh cat "$logs/java-plain.log" >"$logs/jni-check.log"; then
    grep '^jni-checked:' "$logs/jni-check.log" >&2
    echo "sanitize: -Xcheck:jni reported faults" >&2
    status=1
fi
[ "$status" -eq 0 ] && echo "sanitize: no sanitizer report, no JNI warning, every test passed"
exit "$status"
