// Fuzzes the order of entry-point calls: every input is a sequence of calls
// (attach with good and bad shader arrays, open that cannot succeed, close,
// submit, background, client textures, readback, the queries) with fuzzed
// arguments, null and heap buffers included, on a Mesa context with a
// default framebuffer. Every GL call the renderer makes goes through the
// call recorder, which tells which objects it created.
//
// A model of the renderer's state (open or not, which objects it owns)
// predicts each call's outcome. Properties checked after every call:
// - the exception, if any, is the one the model predicts;
// - the host's GL state is as it was (readPixels and background may leave
//   the default framebuffer's read and draw buffer on GL_BACK);
// - after close, none of the renderer's objects exists any more;
// - a client texture survives everything but its own deleteTexture;
// - after a successful attach a drawn shape shows in the target;
// - -Xcheck:jni reports nothing.
#include "failures.h"
#include "fuzz-common.h"
#include "objects.h"

#include <algorithm>
#include <limits.h>
#include <set>
#include <stdlib.h>

namespace {

const char *const state_error = "java.lang.IllegalStateException";
constexpr int surface = 32;

HostContext host;
HostScene scene;
int max_texture_size;
GLint max_viewport[2];
jobject canvas;
// GL entry points stay resolved for the life of the process once an attach
// has loaded them; the strings then come from GL.
bool gl_resolved;

struct Model {
    bool opened = false;
    bool resources = false;
    // Names the renderer created since its resources were last released.
    GlObjects owned;
    std::vector<GLuint> client_textures;
    // Their sizes, in the same order.
    std::vector<std::pair<int, int>> sizes;
};

Model model;
// Deletions the recorder saw since the last close.
GlObjects deleted;
// Objects of failed start-ups that a later attach overwrote: the renderer no
// longer knows them, so the fuzzer deletes them itself between inputs to
// keep a long run's memory bounded.
GlObjects abandoned;

void append(std::vector<GLuint> *to, const std::vector<GLuint> &from) {
    to->insert(to->end(), from.begin(), from.end());
}

void append(GlObjects *to, const GlObjects &from) {
    append(&to->programs, from.programs);
    append(&to->shaders, from.shaders);
    append(&to->textures, from.textures);
    append(&to->framebuffers, from.framebuffers);
    append(&to->vertex_arrays, from.vertex_arrays);
}

bool contains(const std::vector<GLuint> &names, GLuint name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

void expect(const Thrown &t, const std::string &message, const char *call) {
    if (message.empty()) {
        require(!t.pending, std::string(call) + " raised " + t.type + ": " + t.message);
        return;
    }
    require(t.pending, std::string(call) + " did not raise \"" + message + "\"");
    require(t.type == state_error && t.message == message, std::string(call) + " raised " + t.type +
                                                               ": \"" + t.message +
                                                               "\", expected \"" + message + "\"");
}

// Everything the renderer owned must be gone once its resources were
// released: deleted through GL, and no longer an object.
void require_released(const char *call) {
    const std::vector<std::pair<const std::vector<GLuint> *, const std::vector<GLuint> *>> kinds = {
        {&model.owned.programs, &deleted.programs},
        {&model.owned.textures, &deleted.textures},
        {&model.owned.framebuffers, &deleted.framebuffers},
        {&model.owned.vertex_arrays, &deleted.vertex_arrays}};
    for (const auto &[owned, gone] : kinds)
        for (GLuint name : *owned)
            require(contains(*gone, name),
                    std::string(call) + " left object " + std::to_string(name) + " undeleted");
    for (GLuint p : model.owned.programs)
        require(!gl.glIsProgram(p), std::string(call) + " left program " + std::to_string(p));
    for (GLuint s : model.owned.shaders)
        require(!gl.glIsShader(s), std::string(call) + " left shader " + std::to_string(s));
    model.owned = GlObjects();
    deleted = GlObjects();
    model.resources = false;
}

// ---- the calls ---------------------------------------------------------

std::vector<std::string> fuzz_sources(FuzzedDataProvider &in, int variant) {
    std::vector<std::string> sources = test_sources();
    if (variant == 3) sources[6] = test_shader("broken-source-6.frag");
    if (variant == 4) sources[0] = test_shader("broken-source-0.vert");
    if (variant == 5) sources[4] = test_shader("link-mismatch.frag");
    if (variant == 6) sources.resize(in.ConsumeIntegralInRange(0, 6));
    if (variant == 7) sources.push_back(sources[0]);
    return sources;
}

jobjectArray fuzz_shader_array(FuzzedDataProvider &in, int variant) {
    std::vector<std::string> sources = fuzz_sources(in, variant);
    std::vector<const char *> texts;
    for (const std::string &s : sources)
        texts.push_back(s.c_str());
    if (variant == 0) return nullptr;
    if (variant == 1) texts[in.ConsumeIntegralInRange(0, 6)] = nullptr;
    if (variant == 2) return array_with_integer(texts, in.ConsumeIntegralInRange(0, 6));
    return string_array(texts);
}

void call_attach(FuzzedDataProvider &in) {
    int variant = in.ConsumeIntegralInRange(0, 11);
    native::attach(fuzz_shader_array(in, variant));
    Thrown t = take_exception();
    GlObjects created = created_in_log();
    if (model.opened) return expect(t, failure::one_backend, "attach");
    gl_resolved = true;
    if (variant == 0 || variant == 6 || variant == 7)
        return expect(t, failure::seven_sources, "attach");
    if (variant == 1 || variant == 2) return expect(t, failure::sources_not_strings, "attach");
    // A start-up after a failed one overwrites its names without deleting
    // them; only the latest set is the renderer's to release.
    if (model.resources) append(&abandoned, model.owned);
    model.owned = created;
    deleted = GlObjects();
    model.resources = true;
    if (variant >= 3 && variant <= 5) {
        require(t.pending && t.type == state_error, "attach accepted a broken shader");
        return;
    }
    expect(t, "", "attach");
    model.opened = true;
}

void call_open(FuzzedDataProvider &in) {
    bool with_canvas = in.ConsumeBool();
    native::open(with_canvas ? canvas : nullptr, jstr("/nonexistent/libjawt.so"),
                 sources_array(test_sources()));
    Thrown t = take_exception();
    if (model.opened) return expect(t, failure::already_open, "open");
    append(&deleted, deleted_in_log());
    require_released("open");
    expect(t, with_canvas ? failure::cannot_load_libraries : failure::cannot_retain_canvas, "open");
}

void call_close() {
    native::close();
    expect(take_exception(), "", "close");
    append(&deleted, deleted_in_log());
    require_released("close");
    model.opened = false;
}

// A shape over the whole target must show: drawing works whatever state the
// host left. A host scissor box confines the draw, so the pixel is checked
// only when the host has none.
void call_probe() {
    bool host_scissor = gl.glIsEnabled(GL_SCISSOR_TEST);
    Snapshot before = snapshot(scene);
    float records[64] = {};
    records[0] = 1;
    records[3] = records[4] = records[20] = records[21] = surface;
    records[6] = records[9] = 1;
    native::submit(float_buffer_over(records, 64), 1, (jint)scene.single.fbo, GL_COLOR_ATTACHMENT0,
                   surface, surface, surface, surface, 0, 0, 0);
    expect(take_exception(), model.opened ? "" : failure::not_initialized, "submit");
    if (!model.opened) return;
    std::string changed = differences(before, snapshot(scene));
    require(changed.empty(), "submit changed host state:\n" + changed);
    if (host_scissor) return;
    std::vector<unsigned char> pixel =
        read_packed(scene.single.fbo, GL_COLOR_ATTACHMENT0, surface / 2, surface / 2, 1, 1);
    require(pixel[0] >= 253 && pixel[1] <= 2 && pixel[2] <= 2,
            "a shape drawn after attach did not show: " + std::to_string(pixel[0]) + "," +
                std::to_string(pixel[1]) + "," + std::to_string(pixel[2]));
}

void call_submit(FuzzedDataProvider &in) {
    int variant = in.ConsumeIntegralInRange(0, 5);
    if (variant == 0) return call_probe();
    int count = in.ConsumeIntegralInRange(0, 8);
    GLuint atlas = model.client_textures.empty() ? 0 : model.client_textures.back();
    std::vector<float> records = fuzz_records(in, count, in.ConsumeBool(), atlas);
    records.push_back(0);
    jobject buffer = variant == 1   ? nullptr
                     : variant == 2 ? heap_float_buffer(count * 64)
                                    : float_buffer_over(records.data(), count * 64L);
    bool default_target = variant == 3;
    float sigma = fuzz_float(in);
    native::submit(buffer, count, default_target ? 0 : (jint)scene.single.fbo,
                   default_target ? GL_BACK : GL_COLOR_ATTACHMENT0, surface, surface, surface,
                   surface, sigma, fuzz_float(in), fuzz_float(in));
    Thrown t = take_exception();
    if (!model.opened) return expect(t, failure::not_initialized, "submit");
    if (variant == 1) return expect(t, failure::null_buffer, "submit");
    if (variant == 2) return expect(t, failure::invalid_parameters, "submit");
    std::string refusal = expected_refusal(count, count * 64L, true, records.data(), surface,
                                           surface, surface, surface, sigma);
    expect(t, refusal, "submit");
}

// Whether a pixel transfer or background of this size fits a viewport.
bool in_viewport(int width, int height) {
    return width >= 1 && height >= 1 && width <= max_viewport[0] && height <= max_viewport[1];
}

void call_background(FuzzedDataProvider &in) {
    int width = fuzz_size(in, max_texture_size), height = fuzz_size(in, max_texture_size);
    native::background(width, height, fuzz_float(in), in.ConsumeBool(), in.ConsumeBool(),
                       in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>());
    bool refused = model.opened && !in_viewport(width, height);
    expect(take_exception(), refused ? failure::size_out_of_range : "", "background");
}

// Sizes the context cannot hold are refused before the driver sees them:
// Mesa aborts the process on a width of 2^25.
void call_create_texture(FuzzedDataProvider &in) {
    int width = fuzz_size(in, max_texture_size), height = fuzz_size(in, max_texture_size);
    jint name = native::create_texture(width, height);
    Thrown t = take_exception();
    bool positive = width > 0 && height > 0;
    bool holdable = width <= max_texture_size && height <= max_texture_size;
    if (!model.opened || !positive || !holdable) {
        require(name == 0, "a refused createTexture returned a name");
        const char *refusal =
            !model.opened || !positive ? failure::invalid_texture : failure::texture_too_large;
        return expect(t, refusal, "createTexture");
    }
    expect(t, "", "createTexture");
    require(name != 0 && gl.glIsTexture((GLuint)name), "createTexture returned no texture");
    model.client_textures.push_back((GLuint)name);
    model.sizes.push_back({width, height});
}

// A texture name to pass: a client texture, a name that is no texture, 0, a
// negative one; never one of the host's own textures.
jint fuzz_texture(FuzzedDataProvider &in) {
    if (!model.client_textures.empty() && in.ConsumeBool())
        return (jint)model.client_textures[in.ConsumeIntegralInRange<size_t>(
            0, model.client_textures.size() - 1)];
    jint name = in.PickValueInArray({0, -1, 1 << 20, INT_MAX});
    return scene_owns_texture(scene, (GLuint)name) ? 0 : name;
}

// Sizes for the pixel transfers: small, zero, negative, large enough that
// width x height x 4 overflows 32 bits, and large enough that it overflows
// 64 bits.
int fuzz_transfer_size(FuzzedDataProvider &in) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0:
        return in.PickValueInArray({0, -1, -4});
    case 1:
        return in.PickValueInArray({65536, 1 << 20});
    case 2:
        return in.PickValueInArray({INT_MAX, INT_MIN});
    default:
        return in.ConsumeIntegralInRange(1, 16);
    }
}

// A direct buffer over malloc'd memory of exactly the capacity it reports,
// or a null or heap buffer. Returns the capacity in bytes, -1 for none.
long pixel_buffer(FuzzedDataProvider &in, int width, int height, std::vector<void *> *allocations,
                  jobject *buffer) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0:
        *buffer = nullptr;
        return -1;
    case 1:
        *buffer = heap_byte_buffer(64);
        return -1;
    default:
        break;
    }
    __int128 wanted = (__int128)width * height * 4;
    long bytes = wanted >= 0 && wanted <= 4096 ? (long)wanted : 64;
    if (in.ConsumeIntegralInRange(0, 3) == 0) bytes = in.ConsumeIntegralInRange(0, 64);
    void *memory = malloc(bytes > 0 ? bytes : 1);
    allocations->push_back(memory);
    *buffer = direct_byte_buffer(memory, bytes);
    return bytes;
}

bool fits(long capacity, int width, int height) {
    return capacity >= 0 && (__int128)capacity >= (__int128)width * height * 4;
}

// Why an upload must be refused, "" when it must not: the buffer, the
// rectangle's size, its offset, then the texture and whether it holds the
// rectangle.
std::string upload_refusal(jint texture, int x, int y, int width, int height, jobject buffer,
                           long capacity) {
    if (!buffer) return failure::null_buffer;
    if (width <= 0 || height <= 0 || !fits(capacity, width, height)) return failure::invalid_upload;
    if (x < 0 || y < 0) return failure::upload_outside;
    auto it =
        std::find(model.client_textures.begin(), model.client_textures.end(), (GLuint)texture);
    if (it == model.client_textures.end()) return failure::not_a_texture;
    std::pair<int, int> size = model.sizes[it - model.client_textures.begin()];
    bool inside = (long)x + width <= size.first && (long)y + height <= size.second;
    return inside ? "" : failure::upload_outside;
}

void call_upload(FuzzedDataProvider &in) {
    jint texture = fuzz_texture(in);
    int x = in.ConsumeIntegralInRange(-2, 8), y = in.ConsumeIntegralInRange(-2, 8);
    int width = fuzz_transfer_size(in), height = fuzz_transfer_size(in);
    std::vector<void *> allocations;
    jobject buffer;
    long capacity = pixel_buffer(in, width, height, &allocations, &buffer);
    native::upload(texture, x, y, width, height, buffer);
    Thrown t = take_exception();
    for (void *p : allocations)
        free(p);
    if (!model.opened) return expect(t, failure::not_initialized, "upload");
    expect(t, upload_refusal(texture, x, y, width, height, buffer, capacity), "upload");
}

void call_read_pixels(FuzzedDataProvider &in) {
    int width = fuzz_transfer_size(in), height = fuzz_transfer_size(in);
    std::vector<void *> allocations;
    jobject buffer;
    long capacity = pixel_buffer(in, width, height, &allocations, &buffer);
    native::read_pixels(width, height, buffer);
    Thrown t = take_exception();
    for (void *p : allocations)
        free(p);
    if (!model.opened) return expect(t, failure::not_initialized, "readPixels");
    if (!in_viewport(width, height)) return expect(t, failure::size_out_of_range, "readPixels");
    if (!buffer) return expect(t, failure::null_buffer, "readPixels");
    expect(t, fits(capacity, width, height) ? "" : failure::screenshot_too_small, "readPixels");
}

void call_delete_texture(FuzzedDataProvider &in) {
    jint texture = fuzz_texture(in);
    native::delete_texture(texture);
    expect(take_exception(), "", "deleteTexture");
    auto it =
        std::find(model.client_textures.begin(), model.client_textures.end(), (GLuint)texture);
    if (it == model.client_textures.end()) return;
    if (model.opened) {
        require(!gl.glIsTexture(*it), "deleteTexture left its texture");
        model.sizes.erase(model.sizes.begin() + (it - model.client_textures.begin()));
        model.client_textures.erase(it);
    } else {
        require(gl.glIsTexture(*it), "deleteTexture while closed deleted a texture");
    }
}

std::string host_string(GLenum name, const char *fallback) {
    const GLubyte *s = gl_resolved ? gl.glGetString(name) : nullptr;
    return s ? (const char *)s : fallback;
}

void call_query(FuzzedDataProvider &in) {
    switch (in.ConsumeIntegralInRange(0, 5)) {
    case 0: {
        jint error = native::gl_error();
        require(model.opened || (error == 0 && rec_size() == 0), "glError while closed used GL");
        break;
    }
    case 1:
        require(native::renderer_string() == host_string(GL_RENDERER, "unknown renderer"),
                "rendererString");
        break;
    case 2:
        require(native::context_info() == host_string(GL_VERSION, "unknown OpenGL version"),
                "contextInfo");
        break;
    case 3:
        require(native::client_size() == 0, "clientSize without a window");
        break;
    case 4:
        native::swap();
        break;
    default:
        require(native::protocol_version() == 24164, "protocolVersion");
        break;
    }
    expect(take_exception(), "", "a query");
}

// Runs one call; returns the name of what it was, for the state check.
const char *call_one(FuzzedDataProvider &in) {
    switch (in.ConsumeIntegralInRange(0, 11)) {
    case 0:
    case 1:
        call_attach(in);
        return "attach";
    case 2:
        call_close();
        return "close";
    case 3:
        call_open(in);
        return "open";
    case 4:
    case 5:
        call_submit(in);
        return "submit";
    case 6:
        call_background(in);
        return "background";
    case 7:
        call_create_texture(in);
        return "createTexture";
    case 8:
        call_upload(in);
        return "upload";
    case 9:
        call_read_pixels(in);
        return "readPixels";
    case 10:
        call_delete_texture(in);
        return "deleteTexture";
    default:
        call_query(in);
        return "query";
    }
}

// Each input starts from a closed renderer and ends by deleting the client
// textures it made, as Java would.
void reset() {
    require(jni()->PushLocalFrame(16) == 0, "PushLocalFrame");
    native::close();
    jni()->PopLocalFrame(nullptr);
    require(!take_exception().pending, "close raised");
    if (!model.client_textures.empty())
        gl.glDeleteTextures((GLsizei)model.client_textures.size(), model.client_textures.data());
    for (GLuint p : abandoned.programs)
        gl.glDeleteProgram(p);
    gl.glDeleteTextures((GLsizei)abandoned.textures.size(), abandoned.textures.data());
    gl.glDeleteFramebuffers((GLsizei)abandoned.framebuffers.size(), abandoned.framebuffers.data());
    gl.glDeleteVertexArrays((GLsizei)abandoned.vertex_arrays.size(),
                            abandoned.vertex_arrays.data());
    abandoned = GlObjects();
    model = Model();
    deleted = GlObjects();
}

} // namespace

void fuzz_start() {
    JvmEnvironment().SetUp();
    load_recorder(RecorderKind::lookup);
    std::string failure = host_open(&host, Profile::core, 4, 5, surface, surface);
    require(failure.empty(), "host context: " + failure);
    scene_make(&scene, Profile::core, true);
    gl.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture_size);
    gl.glGetIntegerv(GL_MAX_VIEWPORT_DIMS, max_viewport);
    JNIEnv *e = jni();
    jclass c = e->FindClass("java/awt/Canvas");
    require(c != nullptr, "java.awt.Canvas");
    jobject local = e->NewObject(c, e->GetMethodID(c, "<init>", "()V"));
    require(local && !e->ExceptionCheck(), "new Canvas()");
    canvas = e->NewGlobalRef(local);
    e->DeleteLocalRef(local);
    e->DeleteLocalRef(c);
    require_no_jni_warnings("start-up");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    keep_input(data, size);
    FuzzedDataProvider in(data, size);
    reset();
    apply_host_state(in, scene);
    for (int calls = 0; calls < 24 && in.remaining_bytes() > 0; calls++) {
        Snapshot before = snapshot(scene);
        rec_reset();
        require(jni()->PushLocalFrame(32) == 0, "PushLocalFrame");
        const char *call = call_one(in);
        jni()->PopLocalFrame(nullptr);
        append(&deleted, deleted_in_log());
        std::string changed = differences(before, snapshot(scene), changed_by_design(call));
        require(changed.empty(), std::string(call) + " changed host state:\n" + changed);
        require_no_jni_warnings(call);
    }
    return 0;
}
