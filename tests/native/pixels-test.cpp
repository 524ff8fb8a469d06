// What submit draws, read back from the target: scissor boxes, "over"
// blending, shaped clips, backdrop capture and refresh, blur, and text atlas
// selection. The test shaders (tests/shaders) make the expected pixels exact.
#include "records.h"
#include "renderer.h"
#include "scenarios.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr int width = 64, height = 48;
constexpr float ui_width = 32, ui_height = 24; // two pixels per UI unit

struct Rgba {
    int r, g, b, a;
};

class Pixels : public RendererTest, public ::testing::WithParamInterface<Profile> {
  protected:
    void SetUp() override {
        RendererTest::SetUp();
        start(GetParam());
        attach_ok();
        target = host_target(width, height, 0, 0, 0, 1);
    }

    void clear(float r, float g, float b, float a) {
        gl.glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
        gl.glClearColor(r, g, b, a);
        gl.glClear(GL_COLOR_BUFFER_BIT);
        gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    void draw(Stream &s, float sigma = 0) {
        native::submit(s.buffer(), s.count(), (jint)target.fbo, GL_COLOR_ATTACHMENT0, width, height,
                       ui_width, ui_height, sigma, 0, 0);
        expect_no_exception();
        pixels = host_read(target.fbo, GL_COLOR_ATTACHMENT0, 0, 0, width, height);
    }

    // The pixel at column x and row y counted from the top, as the UI counts.
    Rgba at(int x, int y) const {
        const unsigned char *p = &pixels[((height - 1 - y) * width + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }

    // A client texture of one pixel, made through the renderer.
    GLuint texture_of(unsigned char r, unsigned char g, unsigned char b) {
        jint id = native::create_texture(1, 1);
        unsigned char texel[4] = {r, g, b, 255};
        native::upload(id, 0, 0, 1, 1, direct_byte_buffer(texel, 4));
        expect_no_exception();
        return (GLuint)id;
    }

    HostTarget target;
    std::vector<unsigned char> pixels;
};

::testing::AssertionResult near(Rgba got, Rgba want, int tolerance = 1) {
    if (std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
        std::abs(got.b - want.b) <= tolerance && std::abs(got.a - want.a) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << got.r << ", " << got.g << ", " << got.b << ", " << got.a << ") instead of ("
           << want.r << ", " << want.g << ", " << want.b << ", " << want.a << ")";
}

TEST_P(Pixels, ShapeLandsInsideItsScissorBoxOnly) {
    Stream s;
    s.add(record(fill_kind).rect(0, 0, ui_width, ui_height).bounds(4, 3, 10, 6).ink(0, 1, 0, 1));
    draw(s);
    // Bounds (4, 3, 10, 6) UI units are pixels 8 to 27 across and 6 to 17 down.
    int wrong = 0;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            bool inside = x >= 8 && x < 28 && y >= 6 && y < 18;
            Rgba want = inside ? Rgba{0, 255, 0, 255} : Rgba{0, 0, 0, 255};
            if (!near(at(x, y), want, 0)) wrong++;
        }
    EXPECT_EQ(wrong, 0) << "pixels outside the box drawn or inside it missing";
}

TEST_P(Pixels, TranslucentInkIsBlendedOverTheBackdrop) {
    clear(0.2f, 0.4f, 0.6f, 1.0f);
    Stream s;
    s.add(record(fill_kind).rect(2, 2, 8, 8).ink(0.25f, 0, 0.125f, 0.5f));
    draw(s);
    // Premultiplied "over": ink + backdrop * (1 - ink alpha).
    EXPECT_TRUE(near(at(10, 10), {89, 51, 108, 255}));
    EXPECT_TRUE(near(at(30, 30), {51, 102, 153, 255}));
}

TEST_P(Pixels, NestedRoundedClipsCutCornersAndIntersect) {
    Stream s;
    s.add(push(2, 2, 16, 20, 0))
        .add(push(6, 4, 16, 12, 6))
        .add(record(fill_kind).rect(0, 0, ui_width, ui_height).ink(1, 1, 1, 1))
        .add(record(pop_kind))
        .add(record(pop_kind))
        .add(record(fill_kind).rect(24, 18, 4, 4).ink(0, 0, 1, 1));
    draw(s);
    Rgba white = {255, 255, 255, 255}, black = {0, 0, 0, 255};
    EXPECT_TRUE(near(at(20, 16), white)) << "inside both clips";
    EXPECT_TRUE(near(at(18, 14), white)) << "inside the round corner's arc";
    EXPECT_TRUE(near(at(13, 9), black)) << "in the corner cut off by the radius";
    EXPECT_TRUE(near(at(40, 20), black)) << "inside the inner clip, outside the outer one";
    EXPECT_TRUE(near(at(4, 20), black)) << "inside the outer clip, outside the inner one";
    EXPECT_TRUE(near(at(50, 38), {0, 0, 255, 255})) << "after both pops nothing clips";
}

TEST_P(Pixels, BackdropRefreshLetsLaterGlassSeeEarlierGlass) {
    Record red_glass = record(glass_kind).rect(4, 4, 8, 8).ink(1, 0, 0, 1);
    Record dark_glass = record(glass_kind).rect(4, 4, 8, 8).ink(0, 0, 0, 1);
    Stream refreshed;
    refreshed.add(red_glass).add(record(refresh_kind)).add(dark_glass);
    draw(refreshed);
    EXPECT_TRUE(near(at(16, 16), {64, 0, 0, 255})) << "the second glass sees half red";

    clear(0, 0, 0, 1);
    Stream stale;
    stale.add(red_glass).add(dark_glass);
    draw(stale);
    EXPECT_TRUE(near(at(16, 16), {0, 0, 0, 255}))
        << "without a refresh the backdrop is the old one";
}

// Left half white, right half black.
void paint_halves(const HostTarget &target) {
    gl.glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    gl.glClearColor(0, 0, 0, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    gl.glEnable(GL_SCISSOR_TEST);
    gl.glScissor(0, 0, width / 2, height);
    gl.glClearColor(1, 1, 1, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    gl.glDisable(GL_SCISSOR_TEST);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

TEST_P(Pixels, BlurStrengthChangesTheGlassInterior) {
    Stream s;
    s.add(record(glass_kind).rect(0, 0, ui_width, ui_height).ink(0, 0, 0, 1));
    // Up to 0.01 the sharp copy is the backdrop: half of white, exactly.
    for (float sigma : {0.0f, 0.01f}) {
        paint_halves(target);
        draw(s, sigma);
        EXPECT_TRUE(near(at(31, 20), {128, 128, 128, 255})) << "sigma " << sigma;
        EXPECT_TRUE(near(at(32, 20), {0, 0, 0, 255})) << "sigma " << sigma;
    }
    paint_halves(target);
    draw(s, 16);
    Rgba left = at(31, 20), right = at(32, 20);
    EXPECT_LT(left.r, 110) << "the edge was not softened";
    EXPECT_GT(right.r, 18) << "the edge was not softened";
    EXPECT_TRUE(near(left, {left.r, left.r, left.r, 255})) << "the blur mixed channels";
}

TEST_P(Pixels, TextSamplesTheTextureNamedInItsRecord) {
    GLuint red = texture_of(255, 0, 0), green = texture_of(0, 255, 0);
    Stream s;
    s.add(record(text_kind).rect(2, 2, 8, 8).ink(1, 1, 1, 1).atlas(green).tex_rect(0, 0, 1, 1))
        .add(record(text_kind).rect(16, 2, 8, 8).ink(1, 1, 1, 1).atlas(red).tex_rect(0, 0, 1, 1));
    draw(s);
    EXPECT_TRUE(near(at(12, 12), {0, 255, 0, 255}));
    EXPECT_TRUE(near(at(40, 12), {255, 0, 0, 255}));
    native::delete_texture((jint)red);
    native::delete_texture((jint)green);
}

// The common uniforms seen through each draw program's probe (extra.z).
TEST_P(Pixels, EachProgramReceivesTheCommonValues) {
    for (float kind : {(float)glass_kind, (float)text_kind, (float)fill_kind}) {
        SCOPED_TRACE(kind);
        Record r = record(kind).rect(2, 2, 8, 8).ink(0.25f, 0.5f, 0.75f, 1);
        r.s[10] = 0.5f, r.s[11] = 0.25f, r.s[12] = 2; // extra, probe 2
        Record radii = record(kind).rect(12, 2, 8, 8).ink(1, 1, 1, 1);
        radii.s[12] = 3;
        radii.s[28] = 0.25f, radii.s[29] = 0.5f, radii.s[30] = 1, radii.s[31] = 1;
        Record quality = record(kind).rect(22, 2, 8, 8).ink(1, 1, 1, 1);
        quality.s[12] = 5;
        quality.s[27] = 1, quality.s[44] = 0.5f, quality.s[45] = 0.25f;
        clear(0, 0, 0, 1);
        Stream s;
        s.add(r).add(radii).add(quality);
        draw(s);
        EXPECT_TRUE(near(at(10, 10), {128, 64, 0, 255})) << "extra";
        EXPECT_TRUE(near(at(30, 10), {64, 128, 255, 255})) << "cornerRadii";
        EXPECT_TRUE(near(at(50, 10), {255, 128, 64, 255})) << "quality";
    }
}

INSTANTIATE_TEST_SUITE_P(Profiles, Pixels, ::testing::Values(Profile::core, Profile::compat),
                         [](const auto &info) { return profile_name(info.param); });

// The scenarios the Wine harness draws with ombrel-ui.dll, drawn by the Linux
// library with the reference shaders into a default framebuffer: both builds
// must give the same probe pixels.
class Scenarios : public RendererTest, public ::testing::WithParamInterface<int> {};

TEST_P(Scenarios, DrawTheProbePixels) {
    const ombrel_scenario &s = ombrel_scenarios[GetParam()];
    start(Profile::compat, 4, 5, RecorderKind::lookup, s.width, s.height);
    native::attach(sources_array(reference_sources()));
    native::background(s.width, s.height, s.time, s.grid, s.light, s.background, s.accent);
    jint atlas = 0;
    if (s.uses_atlas) {
        std::vector<unsigned char> texels(ombrel_atlas_size * ombrel_atlas_size * 4);
        ombrel_atlas_pixels(texels.data());
        atlas = native::create_texture(ombrel_atlas_size, ombrel_atlas_size);
        native::upload(atlas, 0, 0, ombrel_atlas_size, ombrel_atlas_size,
                       direct_byte_buffer(texels.data(), (long)texels.size()));
    }
    std::vector<float> records((s.record_count + 1) * OMBREL_RECORD_FLOATS);
    ombrel_scenario_records(&s, records.data(), atlas);
    native::submit(direct_float_buffer(records.data(), (long)records.size()), s.record_count, 0,
                   GL_BACK, s.width, s.height, s.ui_width, s.ui_height, s.sigma, s.mx, s.my);
    std::vector<unsigned char> pixels(s.width * s.height * 4);
    native::read_pixels(s.width, s.height, direct_byte_buffer(pixels.data(), (long)pixels.size()));
    if (atlas) native::delete_texture(atlas);
    expect_no_exception();
    EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR);
    for (int i = 0; i < s.probe_count; i++) {
        const ombrel_probe &p = s.probes[i];
        const unsigned char *c = &pixels[(p.y * s.width + p.x) * 4];
        EXPECT_TRUE(ombrel_probe_matches(&p, pixels.data(), s.width))
            << "pixel (" << p.x << ", " << p.y << "): got " << +c[0] << " " << +c[1] << " " << +c[2]
            << " " << +c[3] << ", expected " << +p.rgba[0] << " " << +p.rgba[1] << " " << +p.rgba[2]
            << " " << +p.rgba[3];
    }
}

INSTANTIATE_TEST_SUITE_P(Shared, Scenarios, ::testing::Range(0, ombrel_scenario_count),
                         [](const auto &info) { return ombrel_scenarios[info.param].name; });

} // namespace
