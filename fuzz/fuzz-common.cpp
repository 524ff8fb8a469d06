#include "fuzz-common.h"

#include "failures.h"

#include <float.h>
#include <limits.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define FIXED_MESSAGE(name, text) text,
const char *const fixed_messages[] = {OMBREL_MESSAGES(FIXED_MESSAGE)
                                          OMBREL_GLX_MESSAGES(FIXED_MESSAGE) nullptr};
#undef FIXED_MESSAGE

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_start();
    return 0;
}

void apply_host_state(FuzzedDataProvider &in, const HostScene &scene) {
    std::vector<uint8_t> state = in.ConsumeBytes<uint8_t>(28);
    scene_apply(scene, state.data(), state.size());
}

void broken(const std::string &what) {
    fprintf(stderr, "\nfuzz property broken: %s\n", what.c_str());
    fflush(stderr);
    abort();
}

bool is_fixed_message(const std::string &message) {
    for (const char *const *m = fixed_messages; *m; ++m)
        if (message == *m) return true;
    // The one message followed by a name: the GL function's.
    const std::string prefix = failure::missing_entry_point;
    return message.size() > prefix.size() && message.rfind(prefix, 0) == 0;
}

namespace {

float from_bits(uint32_t bits) {
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

const float special_floats[] = {NAN,
                                -NAN,
                                from_bits(0x7f800001),
                                INFINITY,
                                -INFINITY,
                                0.0f,
                                -0.0f,
                                FLT_MAX,
                                -FLT_MAX,
                                FLT_MIN,
                                -FLT_MIN,
                                from_bits(1),
                                from_bits(0x007fffff),
                                2147483648.0f,
                                -2147483648.0f,
                                2147483520.0f,
                                -2147483904.0f,
                                1e30f,
                                -1e30f,
                                1.0f,
                                -1.0f,
                                0.5f,
                                32.0f,
                                32.5f,
                                0.01f,
                                0.0100001f,
                                65536.0f,
                                1e-30f};
constexpr int special_count = sizeof special_floats / sizeof special_floats[0];

const float kinds[] = {0, 2, 9,  10, 11, 0,  2,     9,    10,    11,
                       1, 3, 12, 13, 17, -1, -0.5f, 2.9f, 10.5f, 11.99f};
constexpr int kind_count = sizeof kinds / sizeof kinds[0];

// Slots that steer the renderer's arithmetic and bookkeeping.
const int steering_slots[] = {0, 1, 2, 3, 4, 5, 9, 17, 18, 19, 20, 21, 22, 27, 44};

void visible_template(FuzzedDataProvider &in, float *s, float kind, GLuint atlas) {
    s[0] = kind;
    float x = in.ConsumeIntegralInRange(0, 40), y = in.ConsumeIntegralInRange(0, 40);
    float w = in.ConsumeIntegralInRange(1, 48), h = in.ConsumeIntegralInRange(1, 48);
    s[1] = s[18] = x, s[2] = s[19] = y, s[3] = s[20] = w, s[4] = s[21] = h;
    s[5] = 2;
    s[6] = 0.5f, s[7] = 0.25f, s[8] = 0.0f, s[9] = 1.0f;
    s[13] = 0, s[14] = 0, s[15] = 1, s[16] = 1;
    memcpy(&s[17], &atlas, sizeof atlas);
    s[22] = 1.0f, s[23] = 0.2f, s[24] = 0.5f, s[25] = 0.5f, s[26] = 1.0f;
    s[28] = s[29] = s[30] = s[31] = 2.0f;
}

void override_slots(FuzzedDataProvider &in, float *s) {
    if (in.ConsumeIntegralInRange(0, 7) == 0) {
        for (int k = 0; k < 46; k++)
            s[k] = fuzz_float(in);
        return;
    }
    int n = in.ConsumeIntegralInRange(0, 4);
    for (int k = 0; k < n; k++) {
        int slot = in.ConsumeBool() ? in.PickValueInArray(steering_slots)
                                    : in.ConsumeIntegralInRange(0, 63);
        s[slot] = fuzz_float(in);
    }
}

// Turns pops without an open clip and pushes beyond 32 into shapes, then
// pushes left open at the end into shapes too.
void balance_clips(std::vector<float> &records, int count) {
    int depth = 0;
    for (int i = 0; i < count; i++) {
        long long kind = model_kind(records[64 * i]);
        if (kind == 11 && depth == 0) records[64 * i] = 1;
        if (kind == 11 && depth > 0) --depth;
        if (kind == 10 && depth == 32) records[64 * i] = 1;
        if (kind == 10 && depth < 32) ++depth;
    }
    int closing = 0;
    for (int i = count - 1; i >= 0; i--) {
        long long kind = model_kind(records[64 * i]);
        if (kind == 11) ++closing;
        if (kind == 10 && closing > 0)
            --closing;
        else if (kind == 10)
            records[64 * i] = 1;
    }
}

} // namespace

float fuzz_float(FuzzedDataProvider &in) {
    switch (in.ConsumeIntegralInRange(0, 4)) {
    case 0:
    case 1:
        return special_floats[in.ConsumeIntegralInRange(0, special_count - 1)];
    case 2:
    case 3:
        return (float)in.ConsumeIntegralInRange(-64, 128) / (in.ConsumeBool() ? 1.0f : 4.0f);
    default:
        return from_bits(in.ConsumeIntegral<uint32_t>());
    }
}

int fuzz_size(FuzzedDataProvider &in, int limit) {
    switch (in.ConsumeIntegralInRange(0, 9)) {
    case 0:
        return 0;
    case 1:
        return in.PickValueInArray({-1, -64, INT_MIN});
    case 2:
        return in.ConsumeIntegralInRange(limit + 1, INT_MAX);
    default:
        return in.ConsumeIntegralInRange(1, 48);
    }
}

float fuzz_kind(FuzzedDataProvider &in) {
    if (in.ConsumeIntegralInRange(0, 5) == 0) return fuzz_float(in);
    return kinds[in.ConsumeIntegralInRange(0, kind_count - 1)];
}

std::vector<float> fuzz_records(FuzzedDataProvider &in, int count, bool balance, GLuint atlas) {
    std::vector<float> records((size_t)count * 64, 0.0f);
    for (int i = 0; i < count; i++) {
        float *s = &records[64 * (size_t)i];
        visible_template(in, s, fuzz_kind(in), atlas);
        override_slots(in, s);
    }
    if (balance) balance_clips(records, count);
    return records;
}

long long model_kind(float slot0) {
    double d = slot0;
    if (!(d >= -2147483648.0 && d < 2147483648.0)) return 1;
    return (long long)trunc(d);
}

std::string expected_refusal(int count, long long capacity, bool aligned, const float *records,
                             int width, int height, float ui_width, float ui_height, float sigma) {
    bool ui_size =
        ui_width > 0.0f && ui_height > 0.0f && std::isfinite(ui_width) && std::isfinite(ui_height);
    if (!aligned || count < 0 || sigma > 32.0f || sigma < 0.0f || !ui_size || height <= 0 ||
        width <= 0 || capacity < (long long)count * 64)
        return failure::invalid_parameters;
    int depth = 0;
    for (int i = 0; i < count; i++) {
        long long kind = model_kind(records[64 * (size_t)i]);
        if (kind == 11 && depth <= 0) return failure::unbalanced_pop;
        if (kind == 11) --depth;
        if (kind == 10 && depth >= 32) return failure::clip_depth;
        if (kind == 10) ++depth;
    }
    return depth == 0 ? "" : failure::unbalanced_pushes;
}

jobject float_buffer_over(void *memory, long floats) {
    JNIEnv *e = jni();
    jobject bytes = direct_byte_buffer(memory, floats * 4);
    jclass byte_buffer = e->FindClass("java/nio/ByteBuffer");
    jclass byte_order = e->FindClass("java/nio/ByteOrder");
    require(byte_buffer && byte_order, "ByteBuffer/ByteOrder classes");
    jobject order = e->CallStaticObjectMethod(
        byte_order, e->GetStaticMethodID(byte_order, "nativeOrder", "()Ljava/nio/ByteOrder;"));
    require(order && !e->ExceptionCheck(), "ByteOrder.nativeOrder");
    jobject ordered = e->CallObjectMethod(
        bytes, e->GetMethodID(byte_buffer, "order", "(Ljava/nio/ByteOrder;)Ljava/nio/ByteBuffer;"),
        order);
    require(ordered && !e->ExceptionCheck(), "ByteBuffer.order");
    jobject view = e->CallObjectMethod(
        ordered, e->GetMethodID(byte_buffer, "asFloatBuffer", "()Ljava/nio/FloatBuffer;"));
    require(view && !e->ExceptionCheck(), "ByteBuffer.asFloatBuffer");
    require(e->GetDirectBufferCapacity(view) == floats, "float buffer capacity");
    return view;
}

void require_no_jni_warnings(const char *after) {
    std::string warnings = jni_warnings();
    if (!warnings.empty()) broken(std::string("-Xcheck:jni after ") + after + ":\n" + warnings);
    jvm_log_clear();
}

void keep_input(const uint8_t *data, size_t size) {
    static const char *path = getenv("OMBREL_FUZZ_LAST_INPUT");
    if (!path) return;
    FILE *f = fopen(path, "wb");
    if (!f) return;
    fwrite(data, 1, size, f);
    fclose(f);
}
