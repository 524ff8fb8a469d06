// The X11/GLX window binding on an AWT Canvas: open, clientSize, swap and
// close, the Canvas reference, and the one-backend rule across both modes.
// Runs on an X display (tests/with-xvfb.sh provides one).
#include "awt.h"
#include "failures.h"
#include "objects.h"
#include "renderer.h"

#include <algorithm>
#include <stdexcept>

namespace {

const char *const state_exception = "java.lang.IllegalStateException";
constexpr int width = 200, height = 150;

class WindowTest : public RendererTest {
  protected:
    void SetUp() override {
        RendererTest::SetUp();
        load_host_gl();
    }

    void TearDown() override {
        native::close();
        expect_no_exception();
        dispose(&window);
        RendererTest::TearDown();
    }

    void open(jobject canvas, const char *jawt = OMBREL_JAWT_LIBRARY) {
        load_recorder(recorder);
        native::open(canvas, jstr(jawt), sources_array(test_sources()));
    }

    void open_window() {
        load_recorder(recorder);
        window = show_canvas(width, height);
        rec_reset();
        open(window.canvas);
        Thrown t = take_exception();
        if (t.pending) throw std::runtime_error("open failed: " + t.message);
    }

    Window window;
    RecorderKind recorder = RecorderKind::lookup;
};

const RecCall *only(const char *name) {
    std::vector<const RecCall *> calls = rec_calls(name);
    return calls.size() == 1 ? calls[0] : nullptr;
}

TEST_F(WindowTest, OpenMakesADirectContextCurrentOnTheCanvas) {
    open_window();
    const RecCall *create = only("glXCreateContext");
    const RecCall *current = only("glXMakeCurrent");
    ASSERT_TRUE(create && current);
    EXPECT_NE(create->ret, 0);
    EXPECT_EQ(create->i[2], 0) << "no shared context";
    EXPECT_EQ(create->i[3], 1) << "a direct context";
    EXPECT_EQ(current->i[0], create->i[0]) << "same display";
    EXPECT_NE(current->i[1], 0) << "the Canvas window";
    EXPECT_EQ(current->i[2], create->ret);
    EXPECT_EQ(current->ret, 1);
    EXPECT_EQ(rec_calls("glCreateProgram").size(), 5u);
    EXPECT_EQ(native::client_size(), ((jlong)width << 32) | height);
    EXPECT_NE(native::renderer_string(), "unknown renderer");

    rec_reset();
    native::swap();
    const RecCall *swap = only("glXSwapBuffers");
    ASSERT_TRUE(swap);
    EXPECT_EQ(swap->i[0], current->i[0]);
    EXPECT_EQ(swap->i[1], current->i[1]);
}

TEST_F(WindowTest, BackgroundAndReadPixelsUseTheWindowsBackBuffer) {
    open_window();
    native::background(width, height, 0, 0, 0, 0x336699, 0);
    std::vector<unsigned char> pixels(width * height * 4, 0);
    native::read_pixels(width, height, direct_byte_buffer(pixels.data(), (long)pixels.size()));
    expect_no_exception();
    const unsigned char want[4] = {0x33, 0x66, 0x99, 0xFF};
    EXPECT_EQ(std::vector<unsigned char>(pixels.begin(), pixels.begin() + 4),
              std::vector<unsigned char>(want, want + 4));
    EXPECT_EQ(std::vector<unsigned char>(pixels.end() - 4, pixels.end()),
              std::vector<unsigned char>(want, want + 4));
    native::swap();
    EXPECT_EQ(native::gl_error(), 0);
}

TEST_F(WindowTest, CloseDeletesObjectsThenReleasesAndDestroysTheContext) {
    open_window();
    GlObjects created = created_in_log();
    const RecCall create = *only("glXCreateContext");
    host_bind_names(created);
    long opened_calls = rec_size();
    native::close();
    expect_no_exception();
    expect_all_deleted(created, deleted_in_log());
    std::vector<std::string> names = rec_names();
    names.erase(names.begin(), names.begin() + opened_calls);
    auto first = [&](const char *name) {
        return std::find(names.begin(), names.end(), name) - names.begin();
    };
    long release = first("glXMakeCurrent"), destroy = first("glXDestroyContext");
    ASSERT_LT(release, (long)names.size());
    ASSERT_LT(destroy, (long)names.size());
    EXPECT_LT(first("glDeleteVertexArrays"), release) << "objects deleted after the release";
    EXPECT_LT(release, destroy);
    const RecCall &unbind = *rec_calls("glXMakeCurrent").back();
    EXPECT_EQ(unbind.i[1], 0);
    EXPECT_EQ(unbind.i[2], 0);
    ASSERT_TRUE(only("glXDestroyContext"));
    EXPECT_EQ(only("glXDestroyContext")->i[1], create.ret);
    EXPECT_EQ(native::client_size(), 0);

    rec_reset();
    native::close();
    native::swap();
    EXPECT_EQ(rec_size(), 0) << "close or swap after close called GL or GLX";
}

// The window binding has no host state to put back: the last program set up
// stays current.
TEST_F(WindowTest, OpenLeavesTheTextProgramCurrent) {
    open_window();
    std::vector<const RecCall *> made = rec_calls("glCreateProgram");
    ASSERT_EQ(made.size(), 5u);
    GLint current = 0;
    gl.glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, made[4]->ret);
}

TEST_F(WindowTest, FailedShaderSetUpIsUndoneByClose) {
    load_recorder(recorder);
    window = show_canvas(width, height);
    std::vector<std::string> sources = test_sources();
    sources[6] = test_shader("broken-source-6.frag");
    rec_reset();
    native::open(window.canvas, jstr(OMBREL_JAWT_LIBRARY), sources_array(sources));
    Thrown t = take_exception();
    EXPECT_TRUE(t.pending);
    EXPECT_EQ(native::client_size(), 0) << "a failed open must not count as open";
    GlObjects created = created_in_log();
    const RecCall *create = only("glXCreateContext");
    ASSERT_TRUE(create);
    native::close();
    expect_no_exception();
    expect_all_deleted(created, deleted_in_log());
    const RecCall *destroy = only("glXDestroyContext");
    ASSERT_TRUE(destroy) << "the context of the failed open was not destroyed";
    EXPECT_EQ(destroy->i[1], create->ret);
}

TEST_F(WindowTest, LibraryWithoutGetProcAddressStillOpens) {
    if (!in_child({})) return;
    recorder = RecorderKind::direct;
    open_window();
    EXPECT_EQ(rec_calls("glCreateProgram").size(), 5u);
    EXPECT_EQ(native::client_size(), ((jlong)width << 32) | height);
}

TEST_F(WindowTest, OnlyOneBackendAtATime) {
    open_window();
    rec_reset();
    open(window.canvas);
    expect_thrown(state_exception, failure::already_open);
    native::attach(sources_array(test_sources()));
    expect_thrown(state_exception, failure::one_backend);
    EXPECT_EQ(rec_size(), 0);
    EXPECT_EQ(native::client_size(), ((jlong)width << 32) | height)
        << "the first open was disturbed";
}

TEST_F(WindowTest, OpenAfterAttachIsRefused) {
    load_recorder(recorder);
    HostContext host_context;
    ASSERT_EQ(host_open(&host_context, Profile::core, 4, 5), "");
    attach_ok();
    window = show_canvas(width, height);
    open(window.canvas);
    expect_thrown(state_exception, failure::already_open);
    EXPECT_EQ(native::client_size(), 0) << "attached mode has no window";
    rec_reset();
    native::swap();
    EXPECT_TRUE(rec_calls("glXSwapBuffers").empty()) << "swap without a window called GLX";
    native::close();
    host_close(&host_context);
}

TEST_F(WindowTest, ClientSizeIsZeroUnlessAWindowIsOpen) {
    EXPECT_EQ(native::client_size(), 0);
    open_window();
    native::close();
    EXPECT_EQ(native::client_size(), 0);
}

TEST_F(WindowTest, CanvasThatIsNotDisplayableIsRefusedAndReleasedByClose) {
    jobject canvas = hidden_canvas();
    jobject weak = weak_reference(canvas);
    open(canvas);
    // JAWT of JDK 17 hands out a drawing surface for a Canvas without a peer
    // and refuses only its lock, so either step may be the one that fails.
    Thrown t = take_exception();
    EXPECT_EQ(t.type, state_exception);
    EXPECT_TRUE(t.message == failure::canvas_not_displayable ||
                t.message == failure::cannot_lock_canvas)
        << t.message;
    jni()->DeleteLocalRef(canvas);
    EXPECT_TRUE(survives_collection(weak)) << "the failed open must keep its Canvas reference";
    native::close();
    EXPECT_FALSE(survives_collection(weak)) << "close did not release the Canvas";
}

// A Canvas never shown, so that nothing but the renderer can hold it.
TEST_F(WindowTest, JawtThatDoesNotLoadIsRefused) {
    jobject canvas = hidden_canvas();
    jobject weak = weak_reference(canvas);
    open(canvas, "/nonexistent/libjawt.so");
    expect_thrown(state_exception, failure::cannot_load_libraries);
    jni()->DeleteLocalRef(canvas);
    EXPECT_TRUE(survives_collection(weak)) << "the failed open must keep its Canvas reference";
    native::close();
    EXPECT_FALSE(survives_collection(weak)) << "close did not release the Canvas";
}

} // namespace
