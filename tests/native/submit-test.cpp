// submit: refusals before any GL work, the uniform traffic and routing of the
// record loop, scissor boxes, internal target sizes and the blur threshold,
// and the target's own read and draw buffers.
#include "records.h"
#include "renderer.h"
#include "trace.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

const char *const state_exception = "java.lang.IllegalStateException";
const char *const invalid = "Invalid draw buffer or framebuffer parameters";

// A call of submit with every argument named; the defaults draw into a 64x48
// target showing a 32x24 UI.
struct SubmitCall {
    GLuint target = 0;
    GLenum color_buffer = GL_COLOR_ATTACHMENT0;
    int width = 64, height = 48;
    float ui_width = 32, ui_height = 24;
    float sigma = 0, mx = 0.25f, my = 0.75f;
    int count = stream_count;
    long extra_capacity = 0;

    static constexpr int stream_count = INT_MIN;
};

class SubmitTest : public RendererTest {
  protected:
    void SetUp() override {
        RendererTest::SetUp();
        start(Profile::core);
        rec_reset();
        attach_ok();
        programs = programs_from_log();
        target = host_target(64, 48, 0, 0, 0, 1);
        call.target = target.fbo;
    }

    void submit(Stream &s) { submit(s, call); }
    void submit(Stream &s, const SubmitCall &c) {
        native::submit(s.buffer(c.extra_capacity), c.count == c.stream_count ? s.count() : c.count,
                       (jint)c.target, (jint)c.color_buffer, c.width, c.height, c.ui_width,
                       c.ui_height, c.sigma, c.mx, c.my);
    }

    RendererPrograms programs;
    HostTarget target;
    SubmitCall call;
};

Record visible_shape() {
    return record(fill_kind).rect(2, 2, 10, 6).ink(0, 0, 0.5f, 0.5f);
}

TEST_F(RendererTest, SubmitBeforeAttachIsRefusedWithoutGl) {
    start(Profile::core);
    Stream s;
    s.add(visible_shape());
    rec_reset();
    native::submit(s.buffer(), 1, 0, GL_COLOR_ATTACHMENT0, 64, 48, 32, 24, 0, 0, 0);
    expect_thrown(state_exception, "Renderer is not initialized");
    attach_ok();
    native::close();
    rec_reset();
    native::submit(s.buffer(), 1, 0, GL_COLOR_ATTACHMENT0, 64, 48, 32, 24, 0, 0, 0);
    expect_thrown(state_exception, "Renderer is not initialized");
    EXPECT_EQ(rec_size(), 0);
}

TEST_F(SubmitTest, InvalidParametersAreRefusedWithoutGl) {
    Stream s;
    s.add(visible_shape()).add(visible_shape());
    struct Case {
        const char *what;
        SubmitCall c;
    };
    std::vector<Case> cases;
    auto with = [&](const char *what, auto change) {
        SubmitCall c = call;
        change(c);
        cases.push_back({what, c});
    };
    with("negative count", [](SubmitCall &c) { c.count = -1; });
    with("sigma above 32", [](SubmitCall &c) { c.sigma = 32.5f; });
    with("negative sigma", [](SubmitCall &c) { c.sigma = -1; });
    with("zero UI height", [](SubmitCall &c) { c.ui_height = 0; });
    with("zero UI width", [](SubmitCall &c) { c.ui_width = 0; });
    with("negative UI width", [](SubmitCall &c) { c.ui_width = -3; });
    with("zero height", [](SubmitCall &c) { c.height = 0; });
    with("zero width", [](SubmitCall &c) { c.width = 0; });
    with("negative width", [](SubmitCall &c) { c.width = -5; });
    with("one float short", [](SubmitCall &c) { c.extra_capacity = -1; });
    with("count beyond the records", [](SubmitCall &c) { c.count = 3; });
    // count x 64 wraps around in 32 bits for these.
    with("count of 2^26", [](SubmitCall &c) { c.count = 1 << 26; });
    with("largest count", [](SubmitCall &c) { c.count = INT_MAX; });
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        rec_reset();
        submit(s, k.c);
        expect_thrown(state_exception, invalid);
        EXPECT_EQ(rec_size(), 0) << "a refused submit called GL";
    }
    // Buffers whose floats cannot be read in place: a heap buffer, and a
    // direct one in big-endian order (asFloatBuffer() without order()).
    std::vector<float> floats(128);
    for (jobject buffer :
         {heap_float_buffer(128), direct_float_buffer(floats.data(), 128, false)}) {
        rec_reset();
        native::submit(buffer, 2, (jint)target.fbo, GL_COLOR_ATTACHMENT0, 64, 48, 32, 24, 0, 0, 0);
        expect_thrown(state_exception, invalid);
        EXPECT_EQ(rec_size(), 0) << "a refused submit called GL";
    }
}

TEST_F(SubmitTest, BoundaryParametersAreAccepted) {
    Stream s;
    s.add(visible_shape()).add(visible_shape());
    for (float sigma : {0.0f, 32.0f, NAN}) {
        SubmitCall c = call;
        c.sigma = sigma;
        submit(s, c);
        expect_no_exception();
    }
    SubmitCall exact = call;
    exact.extra_capacity = 0;
    submit(s, exact);
    expect_no_exception();
    EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(SubmitTest, ClipStreamsThatDoNotBalanceAreRefusedWithoutGl) {
    struct Case {
        const char *what;
        std::vector<float> kinds;
        const char *message;
    };
    std::vector<float> deepest(32, push_kind), too_deep(33, push_kind);
    std::vector<float> too_deep_closed = too_deep;
    too_deep_closed.insert(too_deep_closed.end(), 33, pop_kind);
    const Case cases[] = {
        {"pop first", {pop_kind, push_kind}, "Unbalanced shaped clip pop"},
        {"pop past the last push", {push_kind, pop_kind, pop_kind}, "Unbalanced shaped clip pop"},
        {"push left open", {push_kind, fill_kind}, "Unbalanced shaped clip pushes"},
        {"33rd push as the last record", too_deep, "Shaped clip depth exceeds 32"},
        {"33rd push, then pops", too_deep_closed, "Shaped clip depth exceeds 32"},
        {"kinds truncate: 10.9 pushes", {10.9f}, "Unbalanced shaped clip pushes"},
        {"kinds truncate: 11.9 pops", {11.9f}, "Unbalanced shaped clip pop"},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        Stream s;
        for (float kind : k.kinds)
            s.add(kind == push_kind ? push(0, 0, 32, 24, 0) : record(kind));
        rec_reset();
        submit(s);
        expect_thrown(state_exception, k.message);
        EXPECT_EQ(rec_size(), 0) << "a refused stream called GL";
    }
}

TEST_F(SubmitTest, ThirtyTwoNestedClipsAreAccepted) {
    Stream s;
    for (int d = 0; d < 32; d++)
        s.add(push(0, 0, 32, 24, 0));
    s.add(visible_shape());
    for (int d = 0; d < 32; d++)
        s.add(record(pop_kind));
    rec_reset();
    submit(s);
    expect_no_exception();
    std::vector<const RecCall *> counts = uniform_calls(programs.shape, "shapeClipCount");
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_EQ(counts[0]->i[1], 32);
    std::vector<const RecCall *> rects = uniform_calls(programs.shape, "shapeClipRects[0]");
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0]->i[1], 32) << "all 32 open clips are sent";
}

// The exact traffic of the stream shape, push, shape, glass, pop, shape: a
// program is made current (with "view") only when it changes, and receives
// the clip stack on its first draw and again after each push or pop.
TEST_F(SubmitTest, UniformTrafficFollowsProgramAndClipChanges) {
    Stream s;
    s.add(visible_shape())
        .add(push(1, 1, 30, 22, 2))
        .add(visible_shape())
        .add(record(glass_kind).rect(4, 4, 8, 8).ink(1, 1, 1, 1))
        .add(record(pop_kind))
        .add(visible_shape());
    rec_reset();
    submit(s);
    expect_no_exception();
    const std::vector<std::string> common = {"rect",   "kind=1",      "extra",         "ink",
                                             "radius", "cornerRadii", "cornerHandles", "quality"};
    const std::vector<std::string> clip_arrays = {"shapeClipRects[0]*1", "shapeClipRadii[0]*1",
                                                  "shapeClipHandles[0]*1", "shapeClipInfo[0]*1"};
    std::vector<std::string> want;
    auto add = [&](const std::vector<std::string> &part) {
        want.insert(want.end(), part.begin(), part.end());
    };
    add({"use shape", "view", "shapeClipCount=0"});
    add(common);
    add({"draw", "shapeClipCount=1"});
    add(clip_arrays);
    add(common);
    add({"draw", "use glass", "view", "shapeClipCount=1"});
    add(clip_arrays);
    add(common);
    want[want.size() - 7] = "kind=0";
    add({"bind unit 0", "bind unit 1", "optics", "material", "pointerv", "highlightColor",
         "shadowColor", "draw", "use shape", "view", "shapeClipCount=0"});
    add(common);
    add({"draw"});
    EXPECT_EQ(record_trace(programs), want);
}

// A backdrop refresh forgets the current program, so the next draw makes it
// current again and resends "view", but the clip stack it already has stays.
TEST_F(SubmitTest, DrawAfterARefreshMakesItsProgramCurrentAgain) {
    Record glass = record(glass_kind).rect(4, 4, 8, 8).ink(1, 1, 1, 1);
    Stream s;
    s.add(glass).add(record(refresh_kind)).add(glass);
    rec_reset();
    submit(s);
    expect_no_exception();
    std::vector<std::string> trace = record_trace(programs);
    std::vector<std::string> changes;
    for (const std::string &t : trace)
        if (t.rfind("use ", 0) == 0 || t == "view" || t.rfind("shapeClipCount", 0) == 0 ||
            t == "draw")
            changes.push_back(t);
    EXPECT_EQ(changes, std::vector<std::string>({"use glass", "view", "shapeClipCount=0", "draw",
                                                 "use glass", "view", "draw"}));
    EXPECT_EQ(rec_calls("glBlitFramebuffer").size(), 2u) << "the refresh captures again";
}

TEST_F(SubmitTest, InvisibleRecordsCostNoCall) {
    Stream s;
    s.add(visible_shape())
        .add(record(glass_kind).rect(2, 2, 8, 8).ink(1, 1, 1, 0))
        .add(record(text_kind).rect(40, 30, 8, 8).ink(1, 1, 1, 1))
        .add(record(fill_kind).rect(-20, -20, 8, 8).ink(1, 1, 1, 1))
        .add(record(fill_kind).rect(4, 4, 0, 8).ink(1, 1, 1, 1))
        .add(visible_shape());
    rec_reset();
    submit(s);
    expect_no_exception();
    std::vector<std::string> trace = record_trace(programs);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "draw"), 2);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "use shape"), 1)
        << "a skipped record changed the program";
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "view"), 1);
    EXPECT_EQ(rec_calls("glScissor").size(), 3u) << "one per drawn record and the restore";
}

// Java may hand over any float; none of them may crash the call, raise a GL
// error or leave host state behind.
TEST_F(SubmitTest, NonFiniteAndHugeValuesAreDrawnOrSkippedSafely) {
    const float odd[] = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 3e9f};
    Stream s;
    for (float v : odd) {
        s.add(record(v).rect(1, 1, 4, 4).ink(1, 1, 1, 1));
        s.add(record(fill_kind).rect(v, 1, 4, 4).ink(1, 1, 1, 1));
        s.add(record(fill_kind).rect(1, 1, 4, 4).bounds(1, 1, v, v).ink(1, 1, 1, 1));
        s.add(record(glass_kind).rect(1, 1, 4, 4).bounds(v, v, 4, 4).ink(1, 1, 1, v));
    }
    for (float ui : {NAN, INFINITY, 1e30f}) {
        SubmitCall c = call;
        c.ui_width = ui;
        c.ui_height = ui;
        submit(s, c);
        take_exception();
    }
    submit(s);
    expect_no_exception();
    EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR);
    GLint scissor_test = 1, draw = -1;
    gl.glGetIntegerv(GL_SCISSOR_TEST, &scissor_test);
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    EXPECT_EQ(scissor_test, 0);
    EXPECT_EQ(draw, 0);
}

TEST_F(SubmitTest, KindIsTruncatedTowardZero) {
    Stream s;
    s.add(record(-0.5f).rect(1, 1, 4, 4).ink(1, 1, 1, 1))
        .add(record(2.9f).rect(1, 1, 4, 4).ink(1, 1, 1, 1))
        .add(record(12).rect(1, 1, 4, 4).ink(1, 1, 1, 1));
    rec_reset();
    submit(s);
    expect_no_exception();
    std::vector<std::string> uses;
    for (const std::string &t : record_trace(programs))
        if (t.rfind("use ", 0) == 0 || t.rfind("kind=", 0) == 0) uses.push_back(t);
    EXPECT_EQ(uses, std::vector<std::string>(
                        {"use glass", "kind=0", "use text", "kind=2", "use shape", "kind=12"}));
}

// Every slot holds a value of its own, so each uniform component shows which
// slot it came from.
Record numbered(float kind) {
    Record r = record(kind);
    for (int k = 1; k < 64; k++)
        r.s[k] = k + 0.25f;
    return r;
}

void expect_vec4(GLuint program, const char *name, float x, float y, float z, float w) {
    std::vector<const RecCall *> calls = uniform_calls(program, name);
    ASSERT_FALSE(calls.empty()) << name << " was not set";
    const RecCall &c = *calls.back();
    EXPECT_EQ(std::string(c.name), "glUniform4f") << name;
    const float want[4] = {x, y, z, w};
    for (int k = 0; k < 4; k++)
        EXPECT_EQ(c.f[1 + k], want[k]) << name << " component " << k;
}

void expect_common(GLuint program, int kind) {
    expect_vec4(program, "rect", 1.25f, 2.25f, 3.25f, 4.25f);
    expect_vec4(program, "extra", 10.25f, 11.25f, 12.25f, 0);
    expect_vec4(program, "ink", 6.25f, 7.25f, 8.25f, 9.25f);
    expect_vec4(program, "cornerRadii", 28.25f, 29.25f, 30.25f, 31.25f);
    expect_vec4(program, "cornerHandles", 32.25f, 33.25f, 34.25f, 35.25f);
    expect_vec4(program, "quality", 27.25f, 44.25f, 45.25f, 0);
    std::vector<const RecCall *> k = uniform_calls(program, "kind");
    ASSERT_FALSE(k.empty());
    EXPECT_EQ(k.back()->i[1], kind);
    std::vector<const RecCall *> r = uniform_calls(program, "radius");
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r.back()->f[1], 5.25f);
    std::vector<const RecCall *> v = uniform_calls(program, "view");
    ASSERT_FALSE(v.empty());
    EXPECT_EQ(v.back()->f[1], 100.0f);
    EXPECT_EQ(v.back()->f[2], 80.0f);
}

TEST_F(SubmitTest, SlotsReachTheirUniformComponents) {
    SubmitCall c = call;
    c.width = 100, c.height = 80, c.ui_width = 100, c.ui_height = 80, c.mx = 3.5f, c.my = -7.0f;
    for (float sigma : {0.0f, 2.0f}) {
        SCOPED_TRACE(sigma);
        c.sigma = sigma;
        Stream s;
        Record text = numbered(text_kind);
        text.atlas(0);
        s.add(numbered(glass_kind)).add(numbered(fill_kind)).add(text);
        rec_reset();
        submit(s, c);
        expect_no_exception();
        expect_common(programs.glass, 0);
        expect_common(programs.shape, 1);
        expect_common(programs.text, 2);
        expect_vec4(programs.text, "texRect", 13.25f, 14.25f, 15.25f, 16.25f);
        expect_vec4(programs.glass, "optics", 23.25f, 26.25f, sigma > 0.01f ? 22.25f : 0.0f, 5.25f);
        expect_vec4(programs.glass, "material", 25.25f, 24.25f, 0, 0);
        expect_vec4(programs.glass, "pointerv", 3.5f, -7.0f, 1, 0);
        expect_vec4(programs.glass, "highlightColor", 36.25f, 37.25f, 38.25f, 39.25f);
        expect_vec4(programs.glass, "shadowColor", 40.25f, 41.25f, 42.25f, 43.25f);
    }
    // A pointer that is not a finite point is outside: sent far away, never
    // as the NaN that would also put out the rim light.
    const float nan = std::nanf(""), inf = INFINITY;
    for (auto pointer :
         {std::make_pair(nan, 5.0f), std::make_pair(5.0f, nan), std::make_pair(-inf, 5.0f)}) {
        c.mx = pointer.first, c.my = pointer.second;
        Stream s;
        s.add(numbered(glass_kind));
        rec_reset();
        submit(s, c);
        expect_no_exception();
        expect_vec4(programs.glass, "pointerv", -1e9f, -1e9f, 1, 0);
    }
}

TEST_F(SubmitTest, ClipEntriesCarryTheirSlots) {
    Record entry = numbered(push_kind);
    Stream s;
    s.add(entry).add(visible_shape()).add(record(pop_kind));
    rec_reset();
    submit(s);
    expect_no_exception();
    struct Array {
        const char *name;
        float want[4];
    };
    const Array arrays[] = {{"shapeClipRects[0]", {1.25f, 2.25f, 3.25f, 4.25f}},
                            {"shapeClipRadii[0]", {28.25f, 29.25f, 30.25f, 31.25f}},
                            {"shapeClipHandles[0]", {32.25f, 33.25f, 34.25f, 35.25f}},
                            {"shapeClipInfo[0]", {44.25f, 27.25f, 0, 0}}};
    for (const Array &a : arrays) {
        std::vector<const RecCall *> calls = uniform_calls(programs.shape, a.name);
        ASSERT_EQ(calls.size(), 1u) << a.name;
        ASSERT_EQ(calls[0]->data_count, 4) << a.name;
        for (int k = 0; k < 4; k++)
            EXPECT_EQ(calls[0]->data_f[k], a.want[k]) << a.name << " " << k;
    }
}

// Target 200x100 pixels showing a 100x50 UI; bounds (10.2, 5.3, 20, 10).
TEST_F(SubmitTest, ScissorBoxWidensRightAndTopEdgesToWholePixels) {
    HostTarget big = host_target(200, 100, 0, 0, 0, 1);
    SubmitCall c = call;
    c.target = big.fbo, c.width = 200, c.height = 100, c.ui_width = 100, c.ui_height = 50;
    Stream s;
    s.add(record(fill_kind).rect(0, 0, 100, 50).bounds(10.2f, 5.3f, 20, 10).ink(1, 1, 1, 1));
    rec_reset();
    submit(s, c);
    expect_no_exception();
    // The record's box, then the restore of the host's box.
    std::vector<const RecCall *> boxes = rec_calls("glScissor");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(std::vector<long long>(boxes[0]->i, boxes[0]->i + 4),
              std::vector<long long>({20, 69, 41, 21}));

    // A host scissor box (0, 50, 40, 50) that is enabled cuts the right edge to 40.
    gl.glEnable(GL_SCISSOR_TEST);
    gl.glScissor(0, 50, 40, 50);
    rec_reset();
    submit(s, c);
    expect_no_exception();
    boxes = rec_calls("glScissor");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(std::vector<long long>(boxes[0]->i, boxes[0]->i + 4),
              std::vector<long long>({20, 69, 20, 21}));

    // A host box the record's bounds do not meet: nothing is drawn.
    gl.glScissor(100, 0, 50, 20);
    rec_reset();
    submit(s, c);
    expect_no_exception();
    EXPECT_TRUE(rec_calls("glDrawArrays").empty());
    gl.glDisable(GL_SCISSOR_TEST);
}

// Bounds that are not finite say nothing about where the record is, so the
// record is skipped rather than stretched over the target; large finite
// bounds are clamped.
TEST_F(SubmitTest, NonFiniteBoundsSkipTheRecordAndHugeOnesAreClamped) {
    for (float edge : {INFINITY, -INFINITY, NAN}) {
        Stream s;
        s.add(record(fill_kind).rect(0, 0, 32, 24).bounds(2, 2, edge, 8).ink(1, 1, 1, 1));
        s.add(record(fill_kind).rect(0, 0, 32, 24).bounds(edge, 2, 8, 8).ink(1, 1, 1, 1));
        rec_reset();
        submit(s);
        expect_no_exception();
        EXPECT_TRUE(rec_calls("glDrawArrays").empty()) << "edge " << edge;
    }
    Stream s;
    s.add(record(fill_kind).rect(0, 0, 32, 24).bounds(2, 2, 1e30f, 1e30f).ink(1, 1, 1, 1));
    rec_reset();
    submit(s);
    expect_no_exception();
    std::vector<const RecCall *> boxes = rec_calls("glScissor");
    ASSERT_EQ(boxes.size(), 2u) << "the record was not drawn";
    EXPECT_EQ(std::vector<long long>(boxes[0]->i, boxes[0]->i + 4),
              std::vector<long long>({4, 0, 60, 44}));
}

std::vector<std::pair<int, int>> texture_sizes() {
    std::vector<std::pair<int, int>> sizes;
    for (const RecCall *c : rec_calls("glTexImage2D"))
        sizes.push_back({(int)c->i[3], (int)c->i[4]});
    return sizes;
}

TEST_F(SubmitTest, InternalTargetsFollowTheTargetSize) {
    Stream s;
    SubmitCall c = call;
    using Sizes = std::vector<std::pair<int, int>>;
    c.width = 3, c.height = 5;
    rec_reset();
    submit(s, c);
    EXPECT_EQ(texture_sizes(), Sizes({{3, 5}, {2, 3}, {2, 3}}));
    rec_reset();
    submit(s, c);
    EXPECT_EQ(texture_sizes(), Sizes()) << "same size re-specified the targets";
    c.height = 1;
    rec_reset();
    submit(s, c);
    EXPECT_EQ(texture_sizes(), Sizes({{3, 1}, {2, 1}, {2, 1}}));
    c.width = 1;
    rec_reset();
    submit(s, c);
    EXPECT_EQ(texture_sizes(), Sizes({{1, 1}, {1, 1}, {1, 1}}));

    native::close();
    attach_ok();
    programs = programs_from_log();
    rec_reset();
    submit(s, c);
    EXPECT_EQ(texture_sizes(), Sizes({{1, 1}, {1, 1}, {1, 1}})) << "close must forget the size";
    expect_no_exception();
}

TEST_F(SubmitTest, TargetLargerThanTheTextureLimitIsRefusedAndTheSizeKept) {
    GLint limit = 0;
    gl.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    Stream s;
    submit(s);
    SubmitCall c = call;
    c.width = limit + 1, c.height = 1;
    GLint draw_before = 0;
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw_before);
    rec_reset();
    submit(s, c);
    expect_thrown(state_exception, "Framebuffer exceeds GL_MAX_TEXTURE_SIZE");
    EXPECT_TRUE(texture_sizes().empty());
    GLint draw_after = -1;
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw_after);
    EXPECT_EQ(draw_after, draw_before) << "host state not restored after the refusal";
    rec_reset();
    submit(s);
    EXPECT_TRUE(texture_sizes().empty()) << "the earlier size was forgotten";
    c.width = limit;
    rec_reset();
    submit(s, c);
    expect_no_exception();
    EXPECT_EQ(texture_sizes().size(), 3u);
}

TEST_F(SubmitTest, MultisampledTargetIsRefusedAndStateRestored) {
    if (get_int(GL_MAX_SAMPLES) < 4) GTEST_SKIP() << "the driver has no 4-sample storage";
    GLuint fbo = 0, color = 0;
    gl.glGenFramebuffers(1, &fbo);
    gl.glGenRenderbuffers(1, &color);
    gl.glBindRenderbuffer(GL_RENDERBUFFER, color);
    gl.glRenderbufferStorageMultisample(GL_RENDERBUFFER, 4, GL_RGBA8, 64, 48);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    gl.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    Stream s;
    s.add(visible_shape());
    SubmitCall c = call;
    c.target = fbo;
    rec_reset();
    submit(s, c);
    expect_thrown(state_exception, "Resolve MSAA to a single-sample framebuffer before drawing UI");
    EXPECT_TRUE(rec_calls("glDrawArrays").empty());
    GLint draw = 0, read = 0;
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    gl.glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    EXPECT_EQ(draw, (GLint)target.fbo);
    EXPECT_EQ(read, (GLint)target.fbo);
}

std::vector<const RecCall *> blur_draws() {
    std::vector<const RecCall *> draws;
    for (const RecCall *c : rec_calls("glDrawArrays"))
        if (c->i[2] == 3) draws.push_back(c);
    return draws;
}

TEST_F(SubmitTest, BlurRunsOnlyAboveOneHundredthAndInTwoHalfSizePasses) {
    Stream s;
    s.add(record(glass_kind).rect(2, 2, 8, 8).ink(1, 1, 1, 1));
    SubmitCall c = call;
    c.width = 63, c.height = 47;
    for (float sigma : {0.0f, 0.01f, NAN}) {
        c.sigma = sigma;
        rec_reset();
        submit(s, c);
        expect_no_exception();
        EXPECT_TRUE(blur_draws().empty()) << "blurred at sigma " << sigma;
    }
    c.sigma = std::nextafter(0.01f, 1.0f);
    for (float sigma : {c.sigma, 32.0f}) {
        c.sigma = sigma;
        rec_reset();
        submit(s, c);
        expect_no_exception();
        EXPECT_EQ(blur_draws().size(), 2u) << "sigma " << sigma;
        std::vector<const RecCall *> steps = uniform_calls(programs.blur, "stepv");
        std::vector<const RecCall *> strengths = uniform_calls(programs.blur, "sigma");
        ASSERT_EQ(steps.size(), 2u);
        ASSERT_EQ(strengths.size(), 2u);
        EXPECT_EQ(steps[0]->f[1], 1.0f / 32);
        EXPECT_EQ(steps[0]->f[2], 0.0f);
        EXPECT_EQ(steps[1]->f[1], 0.0f);
        EXPECT_EQ(steps[1]->f[2], 1.0f / 24);
        EXPECT_EQ(strengths[0]->f[1], 32.0f / 63.0f * sigma);
        EXPECT_EQ(strengths[1]->f[1], 24.0f / 47.0f * sigma);
    }
}

TEST_F(SubmitTest, TargetBuffersAreRestoredAfterTheCall) {
    GLuint second = host_target(64, 48, 0, 0, 0, 1).texture;
    gl.glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    gl.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_TEXTURE_2D, second, 0);
    const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    gl.glDrawBuffers(2, both);
    gl.glReadBuffer(GL_COLOR_ATTACHMENT1);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
    Stream s;
    s.add(visible_shape());
    for (int count : {1, 0}) {
        SubmitCall c = call;
        c.count = count;
        submit(s, c);
        expect_no_exception();
        gl.glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
        GLint draw0 = 0, draw1 = 0, read = 0;
        gl.glGetIntegerv(GL_DRAW_BUFFER0, &draw0);
        gl.glGetIntegerv(GL_DRAW_BUFFER1, &draw1);
        gl.glGetIntegerv(GL_READ_BUFFER, &read);
        gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_EQ(draw0, GL_COLOR_ATTACHMENT0) << "count " << count;
        EXPECT_EQ(draw1, GL_COLOR_ATTACHMENT1) << "count " << count;
        EXPECT_EQ(read, GL_COLOR_ATTACHMENT1) << "count " << count;
    }
}

// A host program deleted while current lives only while it stays current. A
// call that draws ends it and leaves no program current, with no GL error of
// its own; a call that draws nothing leaves it current.
TEST_F(SubmitTest, HostProgramDeletedWhileCurrentIsNeitherRevivedNorReplaced) {
    Stream s;
    s.add(visible_shape());
    for (int count : {0, 1}) {
        GLuint doomed = host_program();
        gl.glUseProgram(doomed);
        gl.glDeleteProgram(doomed);
        SubmitCall c = call;
        c.count = count;
        submit(s, c);
        expect_no_exception();
        EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR) << "count " << count;
        EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), count ? 0 : (GLint)doomed) << "count " << count;
        EXPECT_EQ(gl.glIsProgram(doomed), count ? GL_FALSE : GL_TRUE) << "count " << count;
        gl.glUseProgram(0);
    }
}

// The default framebuffer of a pbuffer: single-buffered, drawn as GL_BACK and
// read as GL_FRONT, the same pixels.
TEST_F(RendererTest, DefaultFramebufferTargetGetsItsBuffersBack) {
    start(Profile::compat, 4, 5, RecorderKind::lookup, 64, 48);
    attach_ok();
    gl.glClearColor(0, 0, 0, 0);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    GLint draw_before = 0, read_before = 0;
    gl.glGetIntegerv(GL_DRAW_BUFFER, &draw_before);
    gl.glGetIntegerv(GL_READ_BUFFER, &read_before);
    Stream s;
    s.add(visible_shape());
    rec_reset();
    native::submit(s.buffer(), 1, 0, GL_BACK, 64, 48, 32, 24, 0, 0, 0);
    expect_no_exception();
    GLint draw = 0, read = 0;
    gl.glGetIntegerv(GL_DRAW_BUFFER, &draw);
    gl.glGetIntegerv(GL_READ_BUFFER, &read);
    EXPECT_EQ(draw, draw_before);
    EXPECT_EQ(read, read_before);
    EXPECT_TRUE(rec_calls("glDrawBuffers").empty()) << "the default framebuffer takes glDrawBuffer";
    std::vector<const RecCall *> routes = rec_calls("glDrawBuffer");
    ASSERT_FALSE(routes.empty());
    EXPECT_EQ(routes.back()->i[0], draw_before);
    EXPECT_EQ(host_read(0, GL_BACK, 10, 40, 1, 1), std::vector<unsigned char>({0, 0, 128, 128}))
        << "the shape was not drawn into the default framebuffer";
}

// A capture (copy and blur) runs only where a glass record samples it: at the
// start when a glass record comes before the first refresh, and at a refresh
// when a glass record follows it before the next refresh. Kinds are read as
// the draw loop reads them, so -0.5 is glass, and a glass record that draws
// nothing still asks for its backdrop.
TEST_F(SubmitTest, BackdropIsCapturedOnlyWhereGlassSamplesIt) {
    Record glass = record(glass_kind).rect(2, 2, 8, 8).ink(1, 1, 1, 1);
    Record unseen_glass = record(-0.5f).rect(2, 2, 8, 8).ink(1, 1, 1, 0);
    Record refresh = record(refresh_kind);
    struct Case {
        const char *what;
        std::vector<Record> records;
        size_t captures;
    } cases[] = {
        {"empty stream", {}, 0},
        {"shapes only", {visible_shape(), visible_shape()}, 0},
        {"refresh no glass follows", {visible_shape(), refresh, visible_shape()}, 0},
        {"clips and a refresh only", {push(0, 0, 8, 8, 1), refresh, record(pop_kind)}, 0},
        {"glass first", {glass, visible_shape()}, 1},
        {"glass, then a refresh no glass follows", {glass, refresh, visible_shape()}, 1},
        {"glass only after a refresh", {visible_shape(), refresh, glass}, 1},
        {"glass before and after a refresh", {glass, refresh, glass}, 2},
        {"two refreshes, glass after the second", {glass, refresh, refresh, glass}, 2},
        {"invisible glass of kind -0.5", {visible_shape(), refresh, unseen_glass}, 1},
    };
    SubmitCall c = call;
    c.sigma = 4;
    for (const Case &k : cases) {
        Stream s;
        for (const Record &r : k.records)
            s.add(r);
        rec_reset();
        submit(s, c);
        expect_no_exception();
        // Each capture is one copy and one downsample, then two blur passes.
        EXPECT_EQ(rec_calls("glBlitFramebuffer").size(), 2 * k.captures) << k.what;
        EXPECT_EQ(blur_draws().size(), 2 * k.captures) << k.what;
    }
}

// Skipped captures change no pixel. Before each run the scene texture is
// filled by a capture of another colour: a glass record that sampled such a
// stale backdrop would draw differently for red and for green. And every
// stream draws the same as with an invisible glass record at its start and
// after each refresh, which forces every capture.
TEST_F(SubmitTest, SkippedCapturesChangeNoPixel) {
    Record shape = record(fill_kind).rect(1, 1, 12, 10).ink(0, 0.5f, 0, 0.5f);
    Record glass = record(glass_kind).rect(4, 4, 16, 12).ink(0.2f, 0.2f, 0.8f, 0.7f);
    Record forcing = record(glass_kind).rect(0, 0, 4, 4).ink(1, 1, 1, 0);
    Record refresh = record(refresh_kind);
    std::vector<std::vector<Record>> streams = {
        {shape, visible_shape()},
        {shape, refresh, visible_shape()},
        {shape, refresh, glass},
        {glass, refresh, shape, refresh, glass},
    };
    SubmitCall c = call;
    c.sigma = 3;
    auto draw = [&](const std::vector<Record> &records, bool force, float stale_red) {
        Stream stale;
        stale.add(forcing);
        gl.glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
        gl.glClearColor(stale_red, 1 - stale_red, 0, 1);
        gl.glClear(GL_COLOR_BUFFER_BIT);
        submit(stale, c);
        gl.glClearColor(0.1f, 0.3f, 0.6f, 1);
        gl.glClear(GL_COLOR_BUFFER_BIT);
        gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
        Stream s;
        if (force) s.add(forcing);
        for (const Record &r : records) {
            s.add(r);
            if (force && r.s[0] == refresh_kind) s.add(forcing);
        }
        submit(s, c);
        expect_no_exception();
        return host_read(target.fbo, GL_COLOR_ATTACHMENT0, 0, 0, c.width, c.height);
    };
    for (size_t i = 0; i < streams.size(); ++i) {
        std::vector<unsigned char> pixels = draw(streams[i], false, 1);
        EXPECT_EQ(pixels, draw(streams[i], false, 0)) << "stream " << i << " saw a stale backdrop";
        EXPECT_EQ(pixels, draw(streams[i], true, 1)) << "stream " << i;
    }
    gl.glClearColor(0, 0, 0, 0);
}

// glDrawBuffers is optional and looked up once, at attach: a submit asks the
// driver for no name, and without the function the call still succeeds.
TEST_F(SubmitTest, WithoutGlDrawBuffersTheCallStillSucceeds) {
    Stream s;
    s.add(visible_shape());
    rec_reset();
    submit(s);
    expect_no_exception();
    EXPECT_TRUE(rec_calls("glXGetProcAddressARB").empty()) << "submit looked up a name";
    EXPECT_EQ(rec_calls("glDrawBuffers").size(), 1u);
    native::close();
    rec_hide_name("glDrawBuffers");
    attach_ok();
    rec_reset();
    submit(s);
    expect_no_exception();
    EXPECT_TRUE(rec_calls("glDrawBuffers").empty());
    EXPECT_EQ(rec_calls("glDrawArrays").size(), 1u);
}

// Names bound to GL_TEXTURE_2D on unit 0 when each record draw was made.
std::vector<long long> unit0_textures_at_draws() {
    std::vector<long long> names;
    long long unit = 0, bound = 0;
    for (const RecCall *c : rec_calls()) {
        std::string name = c->name;
        if (name == "glActiveTexture") unit = c->i[0] - GL_TEXTURE0;
        if (name == "glBindTexture" && c->i[0] == GL_TEXTURE_2D && unit == 0) bound = c->i[1];
        if (name == "glDrawArrays" && c->i[2] == 6) names.push_back(bound);
    }
    return names;
}

TEST_F(SubmitTest, TextBindsTheNameWhoseBitsAreInSlotSeventeen) {
    Record by_bits = record(text_kind).rect(1, 1, 4, 4).ink(1, 1, 1, 1).atlas(5);
    Record by_value = by_bits;
    by_value.s[17] = 5.0f;
    uint32_t five_bits = 0;
    memcpy(&five_bits, &by_value.s[17], sizeof five_bits);
    Stream s;
    s.add(by_bits).add(by_value);
    rec_reset();
    submit(s);
    expect_no_exception();
    EXPECT_EQ(unit0_textures_at_draws(), std::vector<long long>({5, (long long)five_bits}));
    // Neither name is a texture here; the driver's complaint is not the test's.
    while (gl.glGetError() != GL_NO_ERROR) {
    }
}

} // namespace
