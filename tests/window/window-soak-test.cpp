// Window-binding soak: 200 open -> draw -> close cycles on one AWT Canvas.
// Each cycle makes a GLX context of the renderer's own, draws through it and
// destroys it again; nothing may pile up: not GL objects left undeleted
// before the context goes, not a current context after close, not JNI global
// references, not resident memory. Runs on an X display (with-xvfb.sh).
#include "awt.h"
#include "objects.h"
#include "renderer.h"
#include "soak.h"

#include <stdexcept>

namespace {

constexpr int cycles = 200, warm_up = 50;
constexpr int width = 160, height = 120;
// A leaked context with its buffers costs far more than this over 150 cycles.
constexpr long rss_tolerance_kib = 4 * 1024;

// An opaque orange fill over the left half.
std::vector<float> fill_record() {
    std::vector<float> s(64, 0.0f);
    s[0] = 1;
    s[3] = s[20] = width / 2;
    s[4] = s[21] = height;
    s[6] = 1.0f, s[7] = 0.5f, s[8] = 0.0f, s[9] = 1.0f;
    return s;
}

class WindowSoak : public RendererTest {
  protected:
    void SetUp() override {
        RendererTest::SetUp();
        load_host_gl();
        load_recorder(RecorderKind::lookup);
    }

    void TearDown() override {
        native::close();
        expect_no_exception();
        dispose(&window);
        RendererTest::TearDown();
    }

    Window window;
};

TEST_F(WindowSoak, TwoHundredOpenDrawCloseCyclesOnOneCanvas) {
    window = show_canvas(width, height);
    jobjectArray sources = sources_array(test_sources());
    jstring jawt = jstr(OMBREL_JAWT_LIBRARY);
    std::vector<float> record = fill_record();
    jobject commands = direct_float_buffer(record.data(), 64);
    std::vector<unsigned char> pixels((size_t)width * height * 4);
    jobject readback = direct_byte_buffer(pixels.data(), (long)pixels.size());
    long refs_start = -1, rss_start = 0;

    for (int k = 0; k < cycles; k++) {
        if (k == warm_up) {
            refs_start = jni_global_references();
            rss_start = resident_kib();
        }
        rec_reset();
        native::open(window.canvas, jawt, sources);
        Thrown t = take_exception();
        ASSERT_FALSE(t.pending) << "open " << k << ": " << t.message;
        native::background(width, height, 0, 0, 0, 0x204060, 0);
        native::submit(commands, 1, 0, GL_BACK, width, height, width, height, 0, 0, 0);
        native::read_pixels(width, height, readback);
        native::swap();
        expect_no_exception();
        const unsigned char *left = &pixels[(size_t)(height / 2 * width + 10) * 4];
        const unsigned char *right = &pixels[(size_t)(height / 2 * width + width - 10) * 4];
        ASSERT_EQ(left[0], 255) << "cycle " << k << " did not draw the fill";
        ASSERT_EQ(right[2], 0x60) << "cycle " << k << " did not draw the background";
        GlObjects created = created_in_log();
        long before_close = rec_size();

        native::close();
        expect_no_exception();
        // The context is gone with close, so its objects cannot be asked
        // about; they must have been deleted before it went.
        expect_all_deleted(created, deleted_in_log());
        ASSERT_GT(rec_size(), before_close);
        EXPECT_EQ(native::renderer_string(), "unknown renderer")
            << "a context is still current after close " << k;
        if (::testing::Test::HasFailure()) FAIL() << "cycle " << k;
    }
    long refs_end = jni_global_references(), rss_end = resident_kib();
    printf("window soak: %d cycles; JNI global references %ld -> %ld; RSS after warm-up %ld KiB, "
           "at the end %ld KiB\n",
           cycles, refs_start, refs_end, rss_start, rss_end);
    ASSERT_GE(refs_start, 0) << "JVMTI cannot count JNI global references";
    EXPECT_EQ(refs_end, refs_start);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LE(rss_end - rss_start, rss_tolerance_kib) << "RSS grew over the cycles";
#endif
}

} // namespace
