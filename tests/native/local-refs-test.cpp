// JNI local references held at once by the entry points. A native method is
// guaranteed 16 without asking for more; the seven shader sources with the
// exception class on a failure make the most the renderer needs, eight.
#include "failures.h"
#include "local-refs.h"
#include "records.h"
#include "renderer.h"

namespace {

class LocalRefs : public RendererTest {
  protected:
    void SetUp() override {
        RendererTest::SetUp();
        start(Profile::core);
    }
};

TEST_F(LocalRefs, CounterSeesReferencesMadeAndDeleted) {
    int peak = peak_local_refs([] {
        JNIEnv *e = jni();
        jstring a = e->NewStringUTF("a");
        jstring b = e->NewStringUTF("b");
        e->DeleteLocalRef(a);
        e->DeleteLocalRef(b);
        e->DeleteLocalRef(e->NewStringUTF("c"));
    });
    EXPECT_EQ(peak, 2);
}

TEST_F(LocalRefs, AttachHoldsAtMostEight) {
    jobjectArray good = sources_array(test_sources());
    std::vector<std::string> broken = test_sources();
    broken[0] = test_shader("broken-source-0.vert");
    broken[6] = test_shader("broken-source-6.frag");
    jobjectArray failing = sources_array(broken);

    EXPECT_LE(peak_local_refs([&] { native::attach(failing); }), 8) << "failing attach";
    expect_thrown("java.lang.IllegalStateException", host_compile_log(GL_VERTEX_SHADER, broken[0]));
    native::close();
    EXPECT_LE(peak_local_refs([&] { native::attach(good); }), 8) << "attach";
    expect_no_exception();
    EXPECT_LE(peak_local_refs([&] { native::attach(good); }), 8) << "second attach";
    expect_thrown("java.lang.IllegalStateException", failure::one_backend);
}

TEST_F(LocalRefs, RefusedSourcesStayWithinSixteen) {
    std::vector<std::string> sources = test_sources();
    std::vector<const char *> texts;
    for (const std::string &s : sources)
        texts.push_back(s.c_str());
    std::vector<const char *> with_null = texts;
    with_null[6] = nullptr;
    jobjectArray nulls = string_array(with_null);
    jobjectArray integer = array_with_integer(texts, 6);
    sources.pop_back();
    jobjectArray six = sources_array(sources);
    for (jobjectArray refused : {nulls, integer, six}) {
        EXPECT_LE(peak_local_refs([&] { native::attach(refused); }), 16);
        Thrown t = take_exception();
        EXPECT_TRUE(t.pending);
        native::close();
    }
}

TEST_F(LocalRefs, DrawingAndQueriesStayWithinSixteen) {
    attach_ok();
    HostTarget target = host_target(8, 8, 0, 0, 0, 1);
    Stream s;
    s.add(record(pop_kind));
    jobject refused = s.buffer();
    s.floats.clear();
    s.add(record(fill_kind).rect(1, 1, 2, 2).ink(1, 1, 1, 1));
    jobject drawn = s.buffer();
    EXPECT_LE(peak_local_refs([&] {
                  native::submit(refused, 1, (jint)target.fbo, GL_COLOR_ATTACHMENT0, 8, 8, 8, 8, 0,
                                 0, 0);
              }),
              16);
    take_exception();
    EXPECT_LE(peak_local_refs([&] {
                  native::submit(drawn, 1, (jint)target.fbo, GL_COLOR_ATTACHMENT0, 8, 8, 8, 8, 0, 0,
                                 0);
              }),
              16);
    expect_no_exception();
    EXPECT_LE(peak_local_refs([] { native::create_texture(0, 0); }), 16);
    take_exception();
    EXPECT_LE(peak_local_refs([] { native::renderer_string(); }), 16);
    expect_no_exception();
}

} // namespace
