// Renderer lifecycle: protocolVersion, attach, rendererString, contextInfo,
// glError and close, before, during and after an attachment; every entry
// point misused, with the context it draws with and with others.
#include "failures.h"
#include "objects.h"
#include "records.h"
#include "renderer.h"

#include <climits>
#include <cmath>
#include <functional>

namespace {

const char *const one_backend = failure::one_backend;

std::string host_string(GLenum name) {
    const GLubyte *s = gl.glGetString(name);
    return s ? (const char *)s : "<null>";
}

class Lifecycle : public RendererTest, public ::testing::WithParamInterface<Profile> {};

TEST_F(RendererTest, BeforeAnyAttachNothingTouchesGl) {
    start(Profile::core);
    rec_reset();
    EXPECT_EQ(native::protocol_version(), 24164);
    EXPECT_EQ(native::gl_error(), 0);
    EXPECT_EQ(native::renderer_string(), "unknown renderer");
    EXPECT_EQ(native::context_info(), "unknown OpenGL version");
    native::close();
    native::close();
    expect_no_exception();
    EXPECT_EQ(rec_names(), std::vector<std::string>());
}

TEST_F(RendererTest, GlErrorBeforeAttachIgnoresAPendingHostError) {
    start(Profile::core);
    gl.glEnable(0xFFFF);
    rec_reset();
    EXPECT_EQ(native::gl_error(), 0);
    EXPECT_EQ(rec_size(), 0);
    EXPECT_EQ(gl.glGetError(), (GLenum)GL_INVALID_ENUM) << "the host's error was consumed";
}

TEST_P(Lifecycle, AttachAnswersFromTheHostContext) {
    start(GetParam());
    attach_ok();
    EXPECT_EQ(native::protocol_version(), 24164);
    EXPECT_EQ(native::renderer_string(), host_string(GL_RENDERER));
    EXPECT_EQ(native::context_info(), host_string(GL_VERSION));

    EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR) << "attach left a GL error";
    gl.glEnable(0xFFFF);
    rec_reset();
    EXPECT_EQ(native::gl_error(), (jint)GL_INVALID_ENUM);
    EXPECT_EQ(native::gl_error(), (jint)GL_NO_ERROR);
    EXPECT_EQ(rec_names(), std::vector<std::string>({"glGetError", "glGetError"}));
}

TEST_P(Lifecycle, SecondAttachIsRefusedAndTheFirstKeepsWorking) {
    start(GetParam());
    attach_ok();
    GlObjects created = created_in_log();
    host_bind_names(created);

    rec_reset();
    native::attach(sources_array(test_sources()));
    expect_thrown("java.lang.IllegalStateException", one_backend);
    EXPECT_EQ(rec_size(), 0) << "the refused attach called GL";

    expect_alive(created);
    gl.glEnable(0xFFFF);
    EXPECT_EQ(native::gl_error(), (jint)GL_INVALID_ENUM);
    EXPECT_EQ(native::renderer_string(), host_string(GL_RENDERER));
}

TEST_P(Lifecycle, CloseDeletesEveryObjectAndASecondCloseDoesNothing) {
    start(GetParam());
    rec_reset();
    attach_ok();
    GlObjects created = created_in_log();
    EXPECT_EQ(created.programs.size(), 5u);
    EXPECT_EQ(created.textures.size(), 3u);
    EXPECT_EQ(created.framebuffers.size(), 3u);
    EXPECT_EQ(created.vertex_arrays.size(), 1u);
    host_bind_names(created);
    expect_alive(created);

    native::close();
    expect_no_exception();
    expect_all_deleted(created, deleted_in_log());
    expect_gone(created);
    EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR);

    rec_reset();
    native::close();
    EXPECT_EQ(rec_size(), 0) << "a second close called GL";
    gl.glEnable(0xFFFF);
    EXPECT_EQ(native::gl_error(), 0) << "glError after close must not query GL";
    EXPECT_EQ(rec_size(), 0);
    EXPECT_EQ(native::protocol_version(), 24164);
}

TEST_P(Lifecycle, AttachAgainAfterCloseWorks) {
    start(GetParam());
    attach_ok();
    native::close();
    rec_reset();
    attach_ok();
    GlObjects created = created_in_log();
    EXPECT_EQ(created.programs.size(), 5u);
    host_bind_names(created);
    expect_alive(created);
}

TEST_P(Lifecycle, StringsAfterCloseUseTheResolvedGlGetString) {
    start(GetParam());
    attach_ok();
    native::close();
    EXPECT_EQ(native::renderer_string(), host_string(GL_RENDERER));
    EXPECT_EQ(native::context_info(), host_string(GL_VERSION));

    // With no context current glGetString answers null.
    host_release(host);
    EXPECT_EQ(native::renderer_string(), "unknown renderer");
    EXPECT_EQ(native::context_info(), "unknown OpenGL version");
    host_make_current(host);
}

// Objects of another context, made current: 12 textures, 8 buffers, 4 vertex
// arrays, 4 framebuffers and 8 programs, whose names are also the renderer's
// in its own context.
struct OtherObjects {
    GlObjects objects;
    std::vector<GLuint> buffers = std::vector<GLuint>(8);

    OtherObjects() {
        GlObjects &o = objects;
        o.textures.resize(12), o.vertex_arrays.resize(4), o.framebuffers.resize(4);
        gl.glGenTextures(12, o.textures.data());
        gl.glGenBuffers(8, buffers.data());
        gl.glGenVertexArrays(4, o.vertex_arrays.data());
        gl.glGenFramebuffers(4, o.framebuffers.data());
        for (int k = 0; k < 8; ++k) {
            o.programs.push_back(gl.glCreateProgram());
            gl.glBindBuffer(GL_ARRAY_BUFFER, buffers[k]);
        }
        gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
        host_bind_names(o);
    }

    void expect_alive() const {
        ::expect_alive(objects);
        for (GLuint b : buffers)
            EXPECT_TRUE(gl.glIsBuffer(b)) << "buffer " << b;
    }
};

enum class Current { own, other, none };

// One row per misuse: the context current during the call, the call, and its
// message (null: none). Rows run in order on one attachment in context A;
// context B holds objects named like the renderer's. After every row neither
// context has a GL error.
TEST_F(RendererTest, EachMisuseRaisesItsMessageAndLeavesNoGlError) {
    start(Profile::compat, 4, 5, RecorderKind::lookup, 16, 8);
    HostContext other;
    ASSERT_EQ(host_open(&other, Profile::compat, 4, 5), "");
    OtherObjects theirs;
    host_make_current(host);
    rec_reset();
    attach_ok();
    GlObjects own = created_in_log();
    host_bind_names(own);
    jint texture = native::create_texture(4, 4);
    HostTarget fbo = host_target(8, 8, 0, 0, 0, 1);
    GLuint bare = 0;
    gl.glGenFramebuffers(1, &bare);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, bare);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
    std::vector<unsigned char> bytes(16 * 8 * 4);
    jobject pixels = direct_byte_buffer(bytes.data(), (long)bytes.size());
    const Record fill = record(fill_kind).rect(0, 0, 4, 4).ink(1, 0, 0, 1);
    Stream stream;
    stream.floats.assign(fill.s, fill.s + record_floats);
    jobject commands = stream.buffer();
    auto submit = [&](GLuint target, GLenum buffer, jobject records) {
        return [=] { native::submit(records, 1, (jint)target, (jint)buffer, 8, 8, 8, 8, 0, 0, 0); };
    };
    auto upload = [&](jint name, jint x, jint y, jint w, jint h, jobject from) {
        return [=] { native::upload(name, x, y, w, h, from); };
    };
    auto read = [&](jint w, jint h, jobject into) {
        return [=] { native::read_pixels(w, h, into); };
    };
    auto background = [](jint w, jint h) {
        return [=] { native::background(w, h, 0, false, false, 0, 0); };
    };
    using namespace failure;
    struct Row {
        const char *what;
        Current current;
        std::function<void()> call;
        const char *message;
    };
    const Row rows[] = {
        {"background", Current::other, background(16, 8), wrong_context},
        {"submit", Current::other, submit(0, GL_BACK, commands), wrong_context},
        {"createTexture", Current::other, [] { native::create_texture(4, 4); }, wrong_context},
        {"upload", Current::other, upload(texture, 0, 0, 4, 4, pixels), wrong_context},
        {"deleteTexture", Current::other, [=] { native::delete_texture(texture); }, wrong_context},
        {"readPixels", Current::other, read(16, 8, pixels), wrong_context},
        {"swap", Current::other, native::swap, wrong_context},
        {"glError", Current::other, [] { native::gl_error(); }, wrong_context},
        {"deleteTexture of the renderer's texture", Current::own,
         [&] { native::delete_texture((jint)own.textures[0]); }, renderer_object},
        {"upload into the renderer's texture", Current::own,
         upload((jint)own.textures[1], 0, 0, 1, 1, pixels), renderer_object},
        {"submit into the renderer's framebuffer", Current::own,
         submit(own.framebuffers[0], GL_COLOR_ATTACHMENT0, commands), renderer_object},
        {"submit to no framebuffer", Current::own, submit(12345, GL_COLOR_ATTACHMENT0, commands),
         not_a_framebuffer},
        {"submit to framebuffer -1", Current::own, submit(-1, GL_COLOR_ATTACHMENT0, commands),
         not_a_framebuffer},
        {"submit through colour buffer 0x1234", Current::own, submit(fbo.fbo, 0x1234, commands),
         bad_color_buffer},
        {"submit through colour buffer 0", Current::own, submit(fbo.fbo, 0, commands),
         bad_color_buffer},
        {"submit through an attachment the target lacks", Current::own,
         submit(fbo.fbo, GL_COLOR_ATTACHMENT1, commands), bad_color_buffer},
        {"submit to framebuffer 0 through GL_COLOR_ATTACHMENT0", Current::own,
         submit(0, GL_COLOR_ATTACHMENT0, commands), bad_color_buffer},
        {"submit to a framebuffer without images", Current::own,
         submit(bare, GL_COLOR_ATTACHMENT0, commands), incomplete_target},
        {"submit of a null buffer", Current::own, submit(0, GL_BACK, nullptr), null_buffer},
        {"submit to an infinitely tall UI", Current::own,
         [=] { native::submit(commands, 1, 0, GL_BACK, 8, 8, 8, HUGE_VALF, 0, 0, 0); },
         invalid_parameters},
        {"readPixels of width 0", Current::own, read(0, 8, pixels), size_out_of_range},
        {"readPixels of height -1", Current::own, read(16, -1, pixels), size_out_of_range},
        {"readPixels wider than any viewport", Current::own, read(INT_MAX, 1, pixels),
         size_out_of_range},
        {"readPixels into null", Current::own, read(16, 8, nullptr), null_buffer},
        {"background of width -1", Current::own, background(-1, 8), size_out_of_range},
        {"background taller than any viewport", Current::own, background(16, INT_MAX),
         size_out_of_range},
        {"upload at a negative offset", Current::own, upload(texture, -1, 0, 2, 2, pixels),
         upload_outside},
        {"upload past the texture's edge", Current::own, upload(texture, 2, 2, 4, 4, pixels),
         upload_outside},
        {"upload into a name that is no texture", Current::own, upload(999, 0, 0, 2, 2, pixels),
         not_a_texture},
        {"upload from null", Current::own, upload(texture, 0, 0, 2, 2, nullptr), null_buffer},
        {"submit to framebuffer 0 through GL_BACK", Current::own, submit(0, GL_BACK, commands),
         nullptr},
        {"close", Current::other, native::close, wrong_context},
        {"close after the refused one", Current::own, native::close, nullptr},
        {"close with no context current, after attaching again", Current::none,
         [&] {
             host_make_current(host);
             expect_gone(own);
             attach_ok();
             host_release(host);
             rec_reset();
             native::close();
             EXPECT_EQ(rec_size(), 0) << "close made a GL call with no context current";
         },
         nullptr},
        {"attach", Current::none, [] { native::attach(sources_array(test_sources())); },
         nothing_current},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        if (row.current == Current::other) host_make_current(other);
        if (row.current == Current::none) host_release(host);
        row.call();
        if (row.message)
            expect_thrown("java.lang.IllegalStateException", row.message);
        else
            expect_no_exception();
        host_make_current(other);
        EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR) << "in the other context";
        host_make_current(host);
        EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR) << "in the renderer's context";
    }
    host_make_current(other);
    theirs.expect_alive();
    host_make_current(host);
    attach_ok();
}

INSTANTIATE_TEST_SUITE_P(Profiles, Lifecycle, ::testing::Values(Profile::core, Profile::compat),
                         [](const auto &info) { return profile_name(info.param); });

} // namespace
