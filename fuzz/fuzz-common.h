// Pieces both fuzzers share: turning input bytes into awkward floats, sizes
// and command records, the renderer's fixed failure messages, a model of
// submit's checks, and the way a fuzzer reports a broken property.
#ifndef OMBREL_FUZZ_COMMON_H
#define OMBREL_FUZZ_COMMON_H

#include "host-state.h"
#include "renderer.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

// Prints what went wrong and aborts, so libFuzzer keeps the input.
[[noreturn]] void broken(const std::string &what);

inline void require(bool ok, const std::string &what) {
    if (!ok) broken(what);
}

// Every message the renderer raises on Linux other than a GLSL info log.
extern const char *const fixed_messages[];
bool is_fixed_message(const std::string &message);

// A float biased to the values that break arithmetic: NaN, infinities,
// signed zeros, the extremes, denormals, the edges of the int range.
float fuzz_float(FuzzedDataProvider &in);

// A pixel size: mostly small, sometimes 0, negative, or above `limit`.
int fuzz_size(FuzzedDataProvider &in, int limit);

// A record kind biased towards glass, text, refresh, push and pop, with
// fractions, negatives and values that have no int equivalent.
float fuzz_kind(FuzzedDataProvider &in);

// `count` records: each a visible template of its kind with some slots
// overwritten by fuzzed values. With `balance` the shaped clips are made to
// nest within 32 levels and close by the end.
std::vector<float> fuzz_records(FuzzedDataProvider &in, int count, bool balance, GLuint atlas);

// The kind as the renderer reads slot 0: truncated toward zero, with values
// that have no int equivalent treated as a shape.
long long model_kind(float slot0);

// What submit must raise before it touches the target, or "" when the call
// gets as far as the target. `capacity` counts floats; records that are not
// float-aligned in memory are refused like a bad parameter.
std::string expected_refusal(int count, long long capacity, bool aligned, const float *records,
                             int width, int height, float ui_width, float ui_height, float sigma);

// A direct FloatBuffer in native order over `floats` floats at `memory`,
// which need not be 4-byte aligned.
jobject float_buffer_over(void *memory, long floats);

// When OMBREL_FUZZ_LAST_INPUT names a file, writes the input there before it
// runs: a fault that corrupts the stack can take libFuzzer's own crash
// report down with it, and the file still holds the input.
void keep_input(const uint8_t *data, size_t size);

// Each fuzzer's start-up, run once by LLVMFuzzerInitialize.
void fuzz_start();

// Sets every piece of host state of `scene` from the input's first bytes.
void apply_host_state(FuzzedDataProvider &in, const HostScene &scene);

// Fails when -Xcheck:jni reported anything since the last call.
void require_no_jni_warnings(const char *after);

#endif
