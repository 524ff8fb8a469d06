// Fuzzes the command stream: every input is one submit call on a renderer
// attached to a real Mesa context, with a host state, a target, sizes, blur,
// pointer and records all taken from the input. The records lie in malloc'd
// memory of exactly the capacity the buffer reports, so ASan sees any read
// past it.
//
// Properties checked for every input:
// - the call returns, or raises IllegalStateException with a fixed message;
// - the refusals that need no GL (parameters, clip balance, MSAA, texture
//   size limit) are exactly the ones the inputs call for;
// - every piece of host GL state is as it was before the call;
// - -Xcheck:jni reports nothing.
#include "failures.h"
#include "fuzz-common.h"

#include <stdlib.h>
#include <string.h>

namespace {

HostContext host;
HostScene scene;
GLuint atlas;
int max_texture_size;

Profile fuzz_profile() {
    const char *p = getenv("OMBREL_FUZZ_PROFILE");
    return p && strcmp(p, "compat") == 0 ? Profile::compat : Profile::core;
}

struct Call {
    GLuint target;
    GLenum color_buffer;
    int width, height, count;
    float ui_width, ui_height, sigma, mx, my;
    long long capacity;
    size_t misalignment;
    std::vector<float> records;
};

GLuint fuzz_target(FuzzedDataProvider &in) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0:
    case 1:
    case 2:
        return scene.single.fbo;
    case 3:
        return scene.dual.fbo;
    case 4:
        return scene.multisampled;
    case 5:
        return 0;
    case 6:
        return scene.textures[0];
    default:
        return in.ConsumeIntegral<uint32_t>();
    }
}

GLenum fuzz_color_buffer(FuzzedDataProvider &in) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 5:
        return GL_COLOR_ATTACHMENT1;
    case 6:
        return in.PickValueInArray({GL_BACK, GL_NONE, GL_FRONT_AND_BACK});
    case 7:
        return in.ConsumeIntegral<uint32_t>();
    default:
        return GL_COLOR_ATTACHMENT0;
    }
}

Call decode(FuzzedDataProvider &in) {
    Call c;
    c.target = fuzz_target(in);
    c.color_buffer = fuzz_color_buffer(in);
    c.width = fuzz_size(in, max_texture_size);
    c.height = fuzz_size(in, max_texture_size);
    c.ui_width = fuzz_float(in);
    c.ui_height = fuzz_float(in);
    c.sigma = in.ConsumeBool() ? fuzz_float(in) : in.ConsumeIntegralInRange(0, 64) / 2.0f;
    c.mx = fuzz_float(in);
    c.my = fuzz_float(in);
    c.count = in.ConsumeIntegralInRange(0, 15) == 0 ? in.PickValueInArray({-1, INT_MIN})
                                                    : in.ConsumeIntegralInRange(0, 24);
    bool balance = in.ConsumeIntegralInRange(0, 3) != 0;
    c.records = fuzz_records(in, c.count > 0 ? c.count : 0, balance, atlas);
    c.capacity = (long long)c.records.size();
    if (c.count > 0 && in.ConsumeIntegralInRange(0, 15) == 0)
        c.capacity -= in.ConsumeIntegralInRange(1, 64);
    c.misalignment = in.ConsumeIntegralInRange(0, 15) ? 0 : 1;
    return c;
}

// Whether the colour buffer names one of the default framebuffer's buffers.
bool default_buffer(GLenum buffer) {
    switch (buffer) {
    case GL_FRONT_LEFT:
    case GL_FRONT_RIGHT:
    case GL_BACK_LEFT:
    case GL_BACK_RIGHT:
    case GL_FRONT:
    case GL_BACK:
    case GL_LEFT:
    case GL_RIGHT:
        return true;
    default:
        return false;
    }
}

// Whether a framebuffer of the host's has an image at the colour buffer:
// attachment 0 everywhere, attachment 1 in the dual target only.
bool has_image(const Call &c) {
    return c.color_buffer == GL_COLOR_ATTACHMENT0 ||
           (c.target == scene.dual.fbo && c.color_buffer == GL_COLOR_ATTACHMENT1);
}

// The refusal the call must raise, "" for none, or "?" when either a refusal
// or success is right: a name that is no framebuffer of the host's may be
// one of the renderer's own. The context has no default framebuffer.
std::string expected(const Call &c) {
    std::string refusal =
        expected_refusal(c.count, c.capacity, c.misalignment == 0, c.records.data(), c.width,
                         c.height, c.ui_width, c.ui_height, c.sigma);
    if (!refusal.empty()) return refusal;
    if (c.target == 0)
        return default_buffer(c.color_buffer) ? failure::no_default_framebuffer
                                              : failure::bad_color_buffer;
    bool host_framebuffer = c.target == scene.single.fbo || c.target == scene.dual.fbo ||
                            c.target == scene.multisampled;
    if (!host_framebuffer) return "?";
    if (!has_image(c)) return failure::bad_color_buffer;
    if (c.target == scene.multisampled) return failure::multisampled;
    if (c.width > max_texture_size || c.height > max_texture_size) return failure::texture_limit;
    return "";
}

void run(const Call &c) {
    // The records fill their allocation to the end (after an optional
    // misaligning byte), so reading one float past them is an overflow.
    size_t bytes = (size_t)(c.capacity > 0 ? c.capacity : 0) * 4;
    size_t size = bytes + c.misalignment;
    unsigned char *memory = static_cast<unsigned char *>(malloc(size > 0 ? size : 1));
    unsigned char *start = memory + c.misalignment;
    if (bytes) memcpy(start, c.records.data(), bytes);
    require(jni()->PushLocalFrame(16) == 0, "PushLocalFrame");
    native::submit(float_buffer_over(start, (long)(bytes / 4)), c.count, (jint)c.target,
                   (jint)c.color_buffer, c.width, c.height, c.ui_width, c.ui_height, c.sigma, c.mx,
                   c.my);
    Thrown t = take_exception();
    jni()->PopLocalFrame(nullptr);
    free(memory);

    std::string want = expected(c);
    if (t.pending) {
        require(t.type == "java.lang.IllegalStateException", "submit raised " + t.type);
        require(is_fixed_message(t.message), "submit raised an unknown message: " + t.message);
        require(want == "?" || t.message == want,
                "submit raised \"" + t.message + "\", expected \"" + want + "\"");
    } else {
        require(want.empty() || want == "?",
                "submit accepted a call it must refuse with \"" + want + "\"");
    }
}

} // namespace

void fuzz_start() {
    JvmEnvironment().SetUp();
    Profile profile = fuzz_profile();
    std::string failure = host_open(&host, profile, 4, 5);
    require(failure.empty(), "host context: " + failure);
    scene_make(&scene, profile, false);
    gl.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture_size);
    require(jni()->PushLocalFrame(16) == 0, "PushLocalFrame");
    native::attach(sources_array(test_sources()));
    Thrown t = take_exception();
    require(!t.pending, "attach failed: " + t.message);
    atlas = (GLuint)native::create_texture(8, 8);
    require(atlas != 0 && !take_exception().pending, "createTexture for the atlas");
    jni()->PopLocalFrame(nullptr);
    require_no_jni_warnings("start-up");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    keep_input(data, size);
    FuzzedDataProvider in(data, size);
    apply_host_state(in, scene);
    while (gl.glGetError() != GL_NO_ERROR) {
    }
    Call c = decode(in);
    Snapshot before = snapshot(scene);
    run(c);
    std::string changed = differences(before, snapshot(scene));
    require(changed.empty(), "submit changed host state:\n" + changed);
    require_no_jni_warnings("submit");
    return 0;
}
