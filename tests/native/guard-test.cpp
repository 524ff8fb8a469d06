// Host state guard, as a property: whatever GL state the host has, an entry
// point leaves every piece of it exactly as it was, raises no GL error, and
// (for the drawing passes) draws the same pixels as under the default state.
// Each entry point is one line of the `calls` table below.
#include "guard.h"
#include "host-state.h"
#include "records.h"
#include "renderer.h"

#include <algorithm>
#include <map>
#include <random>

namespace {

constexpr int width = 64, height = 48;
constexpr int iterations = 16;

#define CAP(name, cap) cap,
const GLenum caps[] = {OMBREL_GUARD_CAPS(CAP)};
#undef CAP

class GuardTest;

struct GuardedCall {
    const char *name;
    // Runs save, prepare and restore: the calls the guard makes are checked.
    bool guarded;
    // Whether a host scissor box confines what the call draws.
    bool host_scissor_applies;
    void (*setup)(GuardTest &);
    void (*run)(GuardTest &);
    // What the call drew or read, to compare with the run under the default
    // state; null when it draws nothing.
    std::vector<unsigned char> (*pixels)(GuardTest &);
};

void PrintTo(const GuardedCall &c, std::ostream *out) {
    *out << c.name;
}

class GuardTest : public RendererTest,
                  public ::testing::WithParamInterface<std::tuple<Profile, GuardedCall>> {
  public:
    Profile profile() const { return std::get<0>(GetParam()); }
    const GuardedCall &call() const { return std::get<1>(GetParam()); }

    // Objects of the host's own that random states bind.
    HostScene scene;
    HostTarget target;
    Stream stream;
    GLuint texture = 0;
    std::vector<unsigned char> pixel_memory;

    void make_objects();
    void reset_frame();
    void randomize(std::mt19937 &rng);
    Snapshot snapshot();
};

int pick(std::mt19937 &rng, int n) {
    return (int)(rng() % (unsigned)n);
}
bool coin(std::mt19937 &rng) {
    return rng() & 1;
}

// The shared host scene, plus a cube map texture on unit 0, which no pass may
// disturb either.
void GuardTest::make_objects() {
    scene_make(&scene, profile(), true);
    gl.glGenTextures(1, &scene.cube);
    gl.glBindTexture(GL_TEXTURE_CUBE_MAP, scene.cube);
    gl.glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    target = host_target(width, height, 0.2f, 0.4f, 0.6f, 1.0f);
}

// Puts back the state in which the frame can be cleared, then clears the
// target and the default framebuffer.
void GuardTest::reset_frame() {
    for (GLenum cap : caps)
        gl.glDisable(cap);
    gl.glColorMaski(0, 1, 1, 1, 1);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    gl.glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
    gl.glClearColor(0.9f, 0.1f, 0.3f, 1.0f);
    gl.glClear(GL_COLOR_BUFFER_BIT);
}

void GuardTest::randomize(std::mt19937 &rng) {
    bool compat = profile() == Profile::compat;
    for (const HostTarget *f : {&scene.single, &scene.dual}) {
        gl.glBindFramebuffer(GL_FRAMEBUFFER, f->fbo);
        const GLenum both[2] = {GL_COLOR_ATTACHMENT0,
                                coin(rng) ? GL_COLOR_ATTACHMENT1 : (GLenum)GL_NONE};
        gl.glDrawBuffers(2, both);
        gl.glReadBuffer(coin(rng) ? GL_COLOR_ATTACHMENT1 : GL_COLOR_ATTACHMENT0);
    }
    const GLuint fbos[3] = {0, scene.single.fbo, scene.dual.fbo};
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbos[pick(rng, 3)]);
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, fbos[pick(rng, 3)]);
    gl.glUseProgram(coin(rng) ? scene.program : 0);
    gl.glBindVertexArray(coin(rng) ? scene.vao : 0);
    for (int unit = 0; unit < 3; unit++) {
        gl.glActiveTexture(GL_TEXTURE0 + unit);
        const GLuint textures[3] = {0, scene.textures[0], scene.textures[1]};
        gl.glBindTexture(GL_TEXTURE_2D, textures[pick(rng, 3)]);
        const GLuint samplers[3] = {0, scene.samplers[0], scene.samplers[1]};
        gl.glBindSampler(unit, samplers[pick(rng, 3)]);
        if (unit == 0) gl.glBindTexture(GL_TEXTURE_CUBE_MAP, coin(rng) ? scene.cube : 0);
    }
    gl.glActiveTexture(GL_TEXTURE0 + pick(rng, 8));
    gl.glBindBuffer(GL_PIXEL_UNPACK_BUFFER, coin(rng) ? scene.unpack_buffer : 0);
    gl.glBindBuffer(GL_PIXEL_PACK_BUFFER, coin(rng) ? scene.pack_buffer : 0);
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1 << pick(rng, 4));
    gl.glPixelStorei(GL_UNPACK_ROW_LENGTH, pick(rng, 2) * 7);
    gl.glPixelStorei(GL_UNPACK_SKIP_PIXELS, pick(rng, 2) * 3);
    gl.glPixelStorei(GL_UNPACK_SKIP_ROWS, pick(rng, 2) * 2);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1 << pick(rng, 4));
    gl.glViewport(pick(rng, 40) - 20, pick(rng, 40) - 20, pick(rng, 200), pick(rng, 200));
    gl.glScissor(pick(rng, 40) - 10, pick(rng, 40) - 10, pick(rng, 80), pick(rng, 80));
    if (compat) {
        gl.glPolygonMode(GL_FRONT, polygon_modes[pick(rng, 3)]);
        gl.glPolygonMode(GL_BACK, polygon_modes[pick(rng, 3)]);
    } else {
        gl.glPolygonMode(GL_FRONT_AND_BACK, polygon_modes[pick(rng, 3)]);
    }
    for (GLuint buffer = 0; buffer < 2; buffer++) {
        gl.glColorMaski(buffer, coin(rng), coin(rng), coin(rng), coin(rng));
        if (coin(rng))
            gl.glEnablei(GL_BLEND, buffer);
        else
            gl.glDisablei(GL_BLEND, buffer);
        gl.glBlendFuncSeparatei(buffer, blend_factors[pick(rng, 9)], blend_factors[pick(rng, 9)],
                                blend_factors[pick(rng, 9)], blend_factors[pick(rng, 9)]);
        gl.glBlendEquationSeparatei(buffer, blend_equations[pick(rng, 5)],
                                    blend_equations[pick(rng, 5)]);
    }
    for (GLenum cap : caps) {
        if (coin(rng))
            gl.glEnable(cap);
        else
            gl.glDisable(cap);
    }
    for (int i = 0; i < scene.clip_count; i++) {
        if (coin(rng))
            gl.glEnable(GL_CLIP_DISTANCE0 + i);
        else
            gl.glDisable(GL_CLIP_DISTANCE0 + i);
    }
    if (compat) {
        // With this test every fragment of a pass that leaves it on is dropped.
        gl.glAlphaFunc(GL_GREATER, 2.0f);
        if (coin(rng))
            gl.glEnable(GL_ALPHA_TEST);
        else
            gl.glDisable(GL_ALPHA_TEST);
    }
}

Snapshot GuardTest::snapshot() {
    return ::snapshot(scene);
}

bool names_alpha_test(const RecCall &c) {
    static const char *const cap_calls[] = {"glEnable", "glDisable", "glIsEnabled"};
    for (const char *name : cap_calls)
        if (std::string(c.name) == name && c.i[0] == GL_ALPHA_TEST) return true;
    return false;
}

// The restore puts the polygon modes back last: two calls when front and
// back differ, one GL_FRONT_AND_BACK call when they are equal.
void expect_polygon_restore(GLint front, GLint back) {
    std::vector<const RecCall *> calls = rec_calls("glPolygonMode");
    ASSERT_FALSE(calls.empty()) << "polygon mode not restored";
    const RecCall &last = *calls.back();
    if (front == back) {
        EXPECT_EQ(last.i[0], GL_FRONT_AND_BACK);
        EXPECT_EQ(last.i[1], front);
        if (calls.size() > 1) {
            EXPECT_NE(calls[calls.size() - 2]->i[0], GL_FRONT) << "equal modes restored twice";
        }
        return;
    }
    ASSERT_GE(calls.size(), 2u);
    const RecCall &first = *calls[calls.size() - 2];
    EXPECT_EQ(first.i[0], GL_FRONT);
    EXPECT_EQ(first.i[1], front);
    EXPECT_EQ(last.i[0], GL_BACK);
    EXPECT_EQ(last.i[1], back);
}

// The state that decides what a draw writes, followed from the host's values
// through the renderer's calls, so the neutral state can be checked at each
// draw even where the driver would draw the same without it.
struct Tracked {
    std::map<long long, bool> enabled;
    long long mask[4], polygon[2], sampler[2];
    long long active;
};

Tracked track_host(int clip_count, bool compat) {
    Tracked t;
    for (GLenum cap : caps)
        t.enabled[cap] = gl.glIsEnabled(cap);
    for (int i = 0; i < clip_count; i++)
        t.enabled[GL_CLIP_DISTANCE0 + i] = gl.glIsEnabled(GL_CLIP_DISTANCE0 + i);
    if (compat) t.enabled[GL_ALPHA_TEST] = gl.glIsEnabled(GL_ALPHA_TEST);
    GLint v[4] = {};
    gl.glGetIntegeri_v(GL_COLOR_WRITEMASK, 0, v);
    for (int k = 0; k < 4; k++)
        t.mask[k] = v[k];
    gl.glGetIntegerv(GL_POLYGON_MODE, v);
    t.polygon[0] = v[0], t.polygon[1] = v[1];
    t.active = get_int(GL_ACTIVE_TEXTURE);
    for (int unit = 0; unit < 2; unit++) {
        gl.glActiveTexture(GL_TEXTURE0 + unit);
        t.sampler[unit] = get_int(GL_SAMPLER_BINDING);
    }
    gl.glActiveTexture((GLenum)t.active);
    return t;
}

void follow(Tracked *t, const RecCall &c) {
    std::string name = c.name;
    if (name == "glEnable" || name == "glDisable") {
        if (t->enabled.count(c.i[0])) t->enabled[c.i[0]] = name == "glEnable";
    } else if (name == "glColorMaski" && c.i[0] == 0) {
        for (int k = 0; k < 4; k++)
            t->mask[k] = c.i[1 + k];
    } else if (name == "glPolygonMode") {
        if (c.i[0] != GL_BACK) t->polygon[0] = c.i[1];
        if (c.i[0] != GL_FRONT) t->polygon[1] = c.i[1];
    } else if (name == "glBindSampler" && c.i[0] < 2) {
        t->sampler[c.i[0]] = c.i[1];
    }
}

// At every draw: every test and clip distance off (the scissor test is the
// renderer's own to use), all colours written, polygons filled, no sampler
// object overriding the textures' own sampling.
void expect_neutral_at_draws(Tracked t) {
    int draws = 0;
    for (const RecCall *c : rec_calls()) {
        follow(&t, *c);
        if (std::string(c->name) != "glDrawArrays") continue;
        SCOPED_TRACE("draw " + std::to_string(draws++));
        for (const auto &[cap, on] : t.enabled)
            EXPECT_TRUE(cap == GL_SCISSOR_TEST || !on) << "capability " << cap << " on at a draw";
        for (long long m : t.mask)
            EXPECT_EQ(m, 1) << "colour mask not all true at a draw";
        EXPECT_EQ(t.polygon[0], GL_FILL);
        EXPECT_EQ(t.polygon[1], GL_FILL);
        EXPECT_EQ(t.sampler[0], 0) << "a host sampler object is bound on unit 0 at a draw";
        EXPECT_EQ(t.sampler[1], 0) << "a host sampler object is bound on unit 1 at a draw";
    }
}

// The drawn pixels match the run under the default state; where a host
// scissor box confines the call, pixels outside it keep the cleared colour.
void expect_pixels(const std::vector<unsigned char> &got, const std::vector<unsigned char> &want,
                   const std::vector<unsigned char> &cleared, bool scissored, const GLint box[4]) {
    ASSERT_EQ(got.size(), want.size());
    int wrong = 0;
    std::string first;
    for (size_t p = 0; p < got.size() / 4; p++) {
        int x = (int)(p % width), y = (int)(p / width);
        bool inside = !scissored ||
                      (x >= box[0] && x < box[0] + box[2] && y >= box[1] && y < box[1] + box[3]);
        const std::vector<unsigned char> &expected = inside ? want : cleared;
        for (int c = 0; c < 4; c++) {
            if (got[p * 4 + c] == expected[p * 4 + c]) continue;
            if (wrong++ == 0)
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") channel " +
                        std::to_string(c) + ": " + std::to_string(got[p * 4 + c]) + " instead of " +
                        std::to_string(expected[p * 4 + c]);
            break;
        }
    }
    EXPECT_EQ(wrong, 0) << "pixels differ from the default-state run, first at " << first;
}

TEST_P(GuardTest, EntryPointLeavesAnyHostStateAsItWas) {
    start(profile(), 4, 5, RecorderKind::lookup, width, height);
    make_objects();
    if (call().setup) call().setup(*this);
    ASSERT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR) << "set-up left a GL error";
    std::vector<unsigned char> reference, cleared;
    for (int it = 0; it < iterations; it++) {
        SCOPED_TRACE("iteration " + std::to_string(it));
        reset_frame();
        if (call().pixels && it == 0) cleared = call().pixels(*this);
        std::mt19937 rng(7919u * it + (unsigned)profile());
        // The first run keeps the default state and gives the reference pixels.
        if (it > 0) randomize(rng);
        ASSERT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR) << "the host state is invalid";
        Snapshot before = snapshot();
        GLint polygon[2] = {};
        gl.glGetIntegerv(GL_POLYGON_MODE, polygon);
        GLint box[4] = {};
        gl.glGetIntegerv(GL_SCISSOR_BOX, box);
        bool scissored = gl.glIsEnabled(GL_SCISSOR_TEST) && call().host_scissor_applies;
        Tracked host_state = track_host(scene.clip_count, scene.compat);

        rec_reset();
        call().run(*this);
        expect_no_exception();
        EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR) << call().name << " raised a GL error";
        EXPECT_EQ(differences(before, snapshot(), changed_by_design(call().name)), "")
            << call().name << " changed host state";

        if (call().guarded) {
            if (profile() == Profile::core) {
                for (const RecCall *c : rec_calls())
                    EXPECT_FALSE(names_alpha_test(*c)) << c->name << " named GL_ALPHA_TEST";
            }
            expect_polygon_restore(polygon[0], polygon[1]);
            expect_neutral_at_draws(host_state);
        }
        if (!call().pixels) continue;
        std::vector<unsigned char> got = call().pixels(*this);
        if (it == 0)
            reference = got;
        else
            expect_pixels(got, reference, cleared, scissored, box);
    }
}

// ---- The entry points ---------------------------------------------------------

void run_attach(GuardTest &t) {
    native::close();
    expect_no_exception();
    native::attach(sources_array(test_sources()));
    (void)t;
}

void setup_attached(GuardTest &t) {
    native::attach(sources_array(test_sources()));
    expect_no_exception();
    (void)t;
}

// A 1x1 client texture of opaque yellow for text records.
void setup_submit(GuardTest &t) {
    setup_attached(t);
    t.texture = (GLuint)native::create_texture(1, 1);
    unsigned char yellow[4] = {255, 255, 0, 255};
    native::upload((jint)t.texture, 0, 0, 1, 1, direct_byte_buffer(yellow, 4));
    expect_no_exception();
    t.stream.add(record(fill_kind).rect(2, 2, 20, 10).ink(0.5f, 0, 0, 0.5f))
        .add(push(4, 4, 40, 30, 6))
        .add(record(glass_kind).rect(0, 0, 32, 24).ink(1, 1, 1, 1))
        .add(record(text_kind)
                 .rect(20, 12, 8, 8)
                 .ink(1, 1, 1, 1)
                 .atlas(t.texture)
                 .tex_rect(0, 0, 1, 1))
        .add(record(pop_kind))
        .add(record(fill_kind).rect(24, 20, 8, 4).ink(0, 0.25f, 0, 0.25f));
}

void run_submit(GuardTest &t) {
    native::submit(t.stream.buffer(), t.stream.count(), (jint)t.target.fbo, GL_COLOR_ATTACHMENT0,
                   width, height, 32.0f, 24.0f, 0.0f, 0.5f, 0.5f);
}

std::vector<unsigned char> target_pixels(GuardTest &t) {
    return host_read(t.target.fbo, GL_COLOR_ATTACHMENT0, 0, 0, width, height);
}

void run_background(GuardTest &) {
    native::background(width, height, 1.0f, 1, 0, 0x336699, 0xFFCC00);
}

std::vector<unsigned char> default_pixels(GuardTest &) {
    return host_read(0, GL_BACK, 0, 0, width, height);
}

void run_create_texture(GuardTest &) {
    jint id = native::create_texture(16, 8);
    EXPECT_NE(id, 0);
    native::delete_texture(id);
}

void setup_upload(GuardTest &t) {
    setup_attached(t);
    t.texture = (GLuint)native::create_texture(8, 8);
    t.pixel_memory.assign(8 * 8 * 4, 0x5A);
}

void run_upload(GuardTest &t) {
    native::upload((jint)t.texture, 2, 1, 4, 4,
                   direct_byte_buffer(t.pixel_memory.data(), (long)t.pixel_memory.size()));
}

void run_read_pixels(GuardTest &t) {
    t.pixel_memory.assign(width * height * 4, 0);
    native::read_pixels(width, height,
                        direct_byte_buffer(t.pixel_memory.data(), (long)t.pixel_memory.size()));
}

std::vector<unsigned char> read_pixels_result(GuardTest &t) {
    return t.pixel_memory;
}

const GuardedCall calls[] = {
    {"attach", true, false, nullptr, run_attach, nullptr},
    {"submit", true, true, setup_submit, run_submit, target_pixels},
    {"background", true, false, setup_attached, run_background, default_pixels},
    {"createTexture", false, false, setup_attached, run_create_texture, nullptr},
    {"upload", false, false, setup_upload, run_upload, nullptr},
    {"readPixels", false, false, setup_attached, run_read_pixels, read_pixels_result},
};

INSTANTIATE_TEST_SUITE_P(Calls, GuardTest,
                         ::testing::Combine(::testing::Values(Profile::core, Profile::compat),
                                            ::testing::ValuesIn(calls)),
                         [](const auto &info) {
                             return std::string(profile_name(std::get<0>(info.param))) + "_" +
                                    std::get<1>(info.param).name;
                         });

} // namespace
