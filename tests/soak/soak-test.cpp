// Soak: many attach -> submit -> close cycles in one process. Whatever a
// cycle creates must be gone after its close: the renderer's GL objects, the
// JNI global references it took, and the memory it made the process hold.
#include "failures.h"
#include "host-state.h"
#include "objects.h"
#include "renderer.h"
#include "soak.h"

#include <stdio.h>

namespace {

constexpr int cycles = 1000;
// Mesa's own caches settle within the first couple of hundred cycles.
constexpr int warm_up = 200;
// Growth of the resident set from the end of the warm-up to the last cycle
// that still counts as flat: far below what one leaked set of programs and
// targets per cycle (well over 100 KiB) would add up to over 800 cycles.
constexpr long rss_tolerance_kib = 2 * 1024;

jobject new_object(const char *cls) {
    JNIEnv *e = jni();
    jclass c = e->FindClass(cls);
    jmethodID init = c ? e->GetMethodID(c, "<init>", "()V") : nullptr;
    return init ? e->NewObject(c, init) : nullptr;
}

// A visible shape, a text record and a glass panel over the whole target,
// inside one shaped clip, with a backdrop refresh between them.
std::vector<float> frame_records() {
    std::vector<float> f(6 * 64, 0.0f);
    auto rect = [&](int r, float kind, float x, float y, float w, float h) {
        float *s = &f[64 * r];
        s[0] = kind;
        s[1] = s[18] = x, s[2] = s[19] = y, s[3] = s[20] = w, s[4] = s[21] = h;
        s[6] = 0.5f, s[7] = 0.25f, s[8] = 0.0f, s[9] = 1.0f;
    };
    rect(0, 10, 0, 0, 64, 48);
    rect(1, 1, 4, 4, 20, 20);
    rect(2, 2, 8, 8, 16, 16);
    rect(3, 9, 0, 0, 0, 0);
    rect(4, 0, 0, 0, 64, 48);
    rect(5, 11, 0, 0, 0, 0);
    return f;
}

class Soak : public RendererTest {
  protected:
    HostScene scene;
    std::vector<float> records = frame_records();
    // Made once, so that the cycles allocate nothing on the Java heap and
    // the resident set shows the native side alone.
    jobjectArray sources = nullptr;
    jobject buffer = nullptr;

    void SetUp() override {
        RendererTest::SetUp();
        start(Profile::core);
        scene_make(&scene, Profile::core, false);
        sources = sources_array(test_sources());
        buffer = direct_float_buffer(records.data(), (long)records.size());
    }

    // attach -> submit -> close; returns what the renderer created.
    GlObjects cycle() {
        rec_reset();
        native::attach(sources);
        expect_no_exception();
        native::submit(buffer, 6, scene.single.fbo, GL_COLOR_ATTACHMENT0, 64, 48, 64, 48, 4, 0, 0);
        expect_no_exception();
        GlObjects created = created_in_log();
        native::close();
        expect_no_exception();
        return created;
    }
};

GLuint highest(const GlObjects &o) {
    GLuint h = 0;
    for (const auto *names :
         {&o.programs, &o.shaders, &o.textures, &o.framebuffers, &o.vertex_arrays})
        for (GLuint n : *names)
            h = std::max(h, n);
    return h;
}

// The counts start after a warm-up, once the JVM and Mesa have made what
// they make once per process.
TEST_F(Soak, AThousandAttachSubmitCloseCyclesLeaveNothingBehind) {
    GlObjects first;
    long rss_start = 0, refs_start = -1;
    GLuint first_highest = 0, last_highest = 0;
    for (int k = 0; k < cycles; k++) {
        GlObjects created = cycle();
        ASSERT_EQ(created.programs.size(), 5u) << "cycle " << k;
        ASSERT_EQ(created.textures.size(), 3u) << "cycle " << k;
        ASSERT_EQ(created.framebuffers.size(), 3u) << "cycle " << k;
        // Names of a closed renderer: none may still be an object.
        expect_gone(created);
        if (::testing::Test::HasFailure()) FAIL() << "objects of cycle " << k << " outlive close";
        if (k == 0) {
            first = created;
            first_highest = highest(created);
        }
        if (k == warm_up) {
            rss_start = resident_kib();
            refs_start = jni_global_references();
            ASSERT_GE(refs_start, 0) << "JVMTI cannot count JNI global references";
        }
        last_highest = highest(created);
    }
    long rss_end = resident_kib();
    long refs_end = jni_global_references();
    expect_gone(first);
    EXPECT_EQ(refs_end, refs_start) << "JNI global references grew over the cycles";
    printf("soak: %d cycles; highest GL name in cycle 1 %u, in cycle %d %u; JNI global "
           "references %ld -> %ld; RSS after warm-up %ld KiB, at the end %ld KiB\n",
           cycles, first_highest, cycles, last_highest, refs_start, refs_end, rss_start, rss_end);
    RecordProperty("rss_start_kib", (int)rss_start);
    RecordProperty("rss_end_kib", (int)rss_end);
#if defined(__SANITIZE_ADDRESS__)
    // ASan keeps freed memory in quarantine, so the resident set of a
    // sanitized build grows by design; the plain build checks it.
#else
    EXPECT_LE(rss_end - rss_start, rss_tolerance_kib) << "RSS grew over the cycles";
#endif
}

// A failed window binding holds the Canvas reference until close; many such
// cycles must not accumulate references. The count going up by one while a
// reference is held shows that the measure sees the library's references.
TEST_F(Soak, FailedOpensReleaseTheirCanvasReferenceOnClose) {
    jobject canvas = new_object("java/awt/Canvas");
    ASSERT_NE(canvas, nullptr) << "cannot make a java.awt.Canvas";
    long refs_start = -1;
    for (int k = 0; k < 200; k++) {
        // The first cycle makes what the harness and the JVM make once.
        if (k == 1) refs_start = jni_global_references();
        ASSERT_EQ(jni()->PushLocalFrame(16), 0);
        native::open(canvas, jstr("/nonexistent/libjawt.so"), sources_array(test_sources()));
        jni()->PopLocalFrame(nullptr);
        expect_thrown("java.lang.IllegalStateException", failure::cannot_load_libraries);
        if (k == 1) {
            EXPECT_EQ(jni_global_references(), refs_start + 1);
        }
        native::close();
        expect_no_exception();
    }
    ASSERT_GE(refs_start, 0);
    EXPECT_EQ(jni_global_references(), refs_start);
}

// A start-up that fails in a shader leaves its objects for close to delete.
TEST_F(Soak, FailedAttachCyclesDeleteWhatTheyCreated) {
    std::vector<std::string> sources = test_sources();
    sources[6] = test_shader("broken-source-6.frag");
    for (int k = 0; k < 200; k++) {
        rec_reset();
        ASSERT_EQ(jni()->PushLocalFrame(16), 0);
        native::attach(sources_array(sources));
        jni()->PopLocalFrame(nullptr);
        Thrown t = take_exception();
        ASSERT_TRUE(t.pending) << "a broken text shader was accepted";
        GlObjects created = created_in_log();
        native::close();
        expect_no_exception();
        expect_gone(created);
        if (::testing::Test::HasFailure()) FAIL() << "objects of failed attach " << k << " remain";
    }
}

} // namespace
