// Renderer lifecycle: protocolVersion, attach, rendererString, contextInfo,
// glError and close, before, during and after an attachment.
#include "failures.h"
#include "objects.h"
#include "renderer.h"

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

INSTANTIATE_TEST_SUITE_P(Profiles, Lifecycle, ::testing::Values(Profile::core, Profile::compat),
                         [](const auto &info) { return profile_name(info.param); });

} // namespace
