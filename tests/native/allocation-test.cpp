// The drawing entry points allocate nothing on the heap. This binary replaces
// malloc and friends with counting versions; only allocations on the calling
// thread while an entry point runs are counted, and not those the GL driver
// makes inside a GL call (the recorder tracks when a call is in the driver).
#include "records.h"
#include "renderer.h"

#include <stddef.h>

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *p, size_t size);
void *__libc_memalign(size_t alignment, size_t size);
}

namespace {

thread_local bool counting;
thread_local long counted;
int *driver_depth;

void note_allocation() {
    if (counting && (!driver_depth || *driver_depth == 0)) counted++;
}

} // namespace

extern "C" void *malloc(size_t size) {
    note_allocation();
    return __libc_malloc(size);
}

extern "C" void *calloc(size_t count, size_t size) {
    note_allocation();
    return __libc_calloc(count, size);
}

extern "C" void *realloc(void *p, size_t size) {
    note_allocation();
    return __libc_realloc(p, size);
}

extern "C" void *memalign(size_t alignment, size_t size) {
    note_allocation();
    return __libc_memalign(alignment, size);
}

extern "C" void *aligned_alloc(size_t alignment, size_t size) {
    note_allocation();
    return __libc_memalign(alignment, size);
}

extern "C" int posix_memalign(void **out, size_t alignment, size_t size) {
    note_allocation();
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : 12;
}

namespace {

// Allocations on this thread outside the driver while `method` runs with the
// arguments. The exported function is called directly, so the harness's own
// JNI frame handling is not counted.
template <typename... P, typename... A> long allocations_in(const char *method, A... args) {
    auto f = (void (*)(JNIEnv *, jclass, P...))native_symbol(method);
    JNIEnv *e = jni();
    jclass cls = native_class();
    counted = 0;
    counting = true;
    f(e, cls, args...);
    counting = false;
    return counted;
}

TEST(AllocationCounter, SeesAllocationsOnThisThread) {
    counted = 0;
    counting = true;
    void *volatile p = malloc(16);
    counting = false;
    free(p);
    EXPECT_EQ(counted, 1);
}

// The recorder that exports its functions is used: with it, as with the
// system libGL, the lookup of glDrawBuffers at draw time succeeds in dlsym,
// while a failed dlsym has the C library allocate its error text.
TEST_F(RendererTest, DrawingEntryPointsAllocateNothing) {
    if (!in_child({})) return;
    start(Profile::core, 4, 5, RecorderKind::direct, 64, 48);
    attach_ok();
    driver_depth = rec_depth();
    HostTarget target = host_target(64, 48, 0.2f, 0.4f, 0.6f, 1);
    jint texture = native::create_texture(2, 2);
    jint spare = native::create_texture(4, 4);
    unsigned char texels[16] = {};
    std::vector<unsigned char> screen(64 * 48 * 4);
    jobject texel_buffer = direct_byte_buffer(texels, sizeof texels);
    jobject screen_buffer = direct_byte_buffer(screen.data(), (long)screen.size());
    Stream s = every_pass((uint32_t)texture);
    jobject commands = s.buffer();
    jint fbo = (jint)target.fbo, attachment = GL_COLOR_ATTACHMENT0, w = 64, h = 48, n = s.count();
    jfloat ui_w = 32, ui_h = 24, sigma = 4, zero = 0;
    // The first submit sizes the internal targets; later ones reuse them. The
    // first submit and readPixels also have the JVM resolve the buffer methods
    // they ask about (order, isReadOnly), once per process.
    native::submit(commands, n, fbo, attachment, w, h, ui_w, ui_h, sigma, zero, zero);
    native::read_pixels(w, h, screen_buffer);
    expect_no_exception();

    using I = jint;
    using F = jfloat;
    EXPECT_EQ((allocations_in<jobject, I, I, I, I, I, F, F, F, F, F>(
                  "submit", commands, n, fbo, attachment, w, h, ui_w, ui_h, sigma, zero, zero)),
              0)
        << "submit";
    EXPECT_EQ((allocations_in<I, I, F, jboolean, jboolean, I, I>(
                  "background", w, h, (F)1, (jboolean)1, (jboolean)1, (I)0x123456, (I)0x654321)),
              0)
        << "background";
    EXPECT_EQ((allocations_in<I, I, I, I, I, jobject>("upload", texture, (I)0, (I)0, (I)2, (I)2,
                                                      texel_buffer)),
              0)
        << "upload";
    EXPECT_EQ((allocations_in<I, I, jobject>("readPixels", w, h, screen_buffer)), 0)
        << "readPixels";
    EXPECT_EQ((allocations_in<I>("deleteTexture", spare)), 0) << "deleteTexture";
    EXPECT_EQ((allocations_in<>("swap")), 0) << "swap";
    expect_no_exception();

    // The two that return a value.
    auto create = (jint(*)(JNIEnv *, jclass, jint, jint))native_symbol("createTexture");
    auto error = (jint(*)(JNIEnv *, jclass))native_symbol("glError");
    counted = 0;
    counting = true;
    jint made = create(jni(), native_class(), 4, 4);
    error(jni(), native_class());
    counting = false;
    EXPECT_EQ(counted, 0) << "createTexture or glError";
    EXPECT_NE(made, 0);
    expect_no_exception();
    driver_depth = nullptr;
}

} // namespace
