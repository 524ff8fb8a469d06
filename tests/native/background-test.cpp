// The background pass: colours from 0xRRGGBB, the switches, the viewport it
// is given, and drawing into the default framebuffer whatever the host has
// bound.
#include "renderer.h"
#include "trace.h"

namespace {

constexpr int width = 32, height = 16;

class Background : public RendererTest, public ::testing::WithParamInterface<Profile> {
  protected:
    void SetUp() override {
        RendererTest::SetUp();
        start(GetParam(), 4, 5, RecorderKind::lookup, width, height);
        rec_reset();
        attach_ok();
        programs = programs_from_log();
        gl.glClearColor(0, 0, 0, 0);
        gl.glClear(GL_COLOR_BUFFER_BIT);
    }

    // RGBA of the default framebuffer at (x, y), y counted from the bottom.
    std::vector<int> pixel(int x, int y) {
        std::vector<unsigned char> p = host_read(0, GL_BACK, x, y, 1, 1);
        return std::vector<int>(p.begin(), p.end());
    }

    RendererPrograms programs;
};

TEST_F(RendererTest, BackgroundWhenClosedDoesNothing) {
    start(Profile::core, 4, 5, RecorderKind::lookup, width, height);
    rec_reset();
    native::background(width, height, 0, 1, 1, 0x336699, 0x112233);
    expect_no_exception();
    attach_ok();
    native::close();
    rec_reset();
    native::background(width, height, 0, 1, 1, 0x336699, 0x112233);
    expect_no_exception();
    EXPECT_EQ(rec_size(), 0);
}

TEST_P(Background, ColoursComeFromRgbBytesAndTheTopByteIsIgnored) {
    for (int colour : {0x336699, (int)0xFF336699}) {
        rec_reset();
        native::background(width, height, 0, 0, 0, colour, 0x000000);
        expect_no_exception();
        EXPECT_EQ(pixel(5, 5), std::vector<int>({0x33, 0x66, 0x99, 255}));
        std::vector<const RecCall *> sent = uniform_calls(programs.background, "backgroundColor");
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0]->f[1], 0x33 / 255.0f);
        EXPECT_EQ(sent[0]->f[2], 0x66 / 255.0f);
        EXPECT_EQ(sent[0]->f[3], 0x99 / 255.0f);
        EXPECT_EQ(sent[0]->f[4], 1.0f);
    }
}

TEST_P(Background, SwitchesTimeAndSizeReachTheProgram) {
    rec_reset();
    native::background(width, height, 250.5f, 1, 0, 0x000000, 0x0000FF);
    expect_no_exception();
    EXPECT_EQ(rec_names().back(), "glBindBuffer") << "the pass ends with the restore";
    std::vector<std::string> sent;
    for (const RecCall *c : rec_calls())
        if (std::string(c->name).rfind("glUniform", 0) == 0)
            sent.push_back(uniform_name(programs.background, (GLint)c->i[0]));
    EXPECT_EQ(sent, std::vector<std::string>(
                        {"res", "time", "grid", "palette", "backgroundColor", "backgroundAccent"}));
    EXPECT_EQ(uniform_calls(programs.background, "grid")[0]->f[1], 1.0f);
    EXPECT_EQ(uniform_calls(programs.background, "palette")[0]->f[1], 0.0f);
    EXPECT_EQ(uniform_calls(programs.background, "time")[0]->f[1], 250.5f);
    EXPECT_EQ(pixel(0, 5), std::vector<int>({255, 255, 255, 255})) << "grid column";
    EXPECT_EQ(pixel(width - 1, 5), std::vector<int>({0, 255, 0, 255})) << "time and res";
    EXPECT_EQ(pixel(5, 5), std::vector<int>({0, 0, 0, 255}));

    native::background(width, height, 0, 0, 1, 0x000000, 0x0000FF);
    EXPECT_EQ(pixel(5, 5), std::vector<int>({0, 0, 255, 255})) << "light palette uses the accent";
}

TEST_P(Background, DrawsIntoTheDefaultBackBufferWhateverTheHostBinds) {
    HostTarget host = host_target(8, 8, 0.5f, 0.5f, 0.5f, 1);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, host.fbo);
    native::background(width / 2, height / 2, 0, 0, 0, 0xFF0000, 0);
    expect_no_exception();
    GLint draw = 0;
    gl.glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    EXPECT_EQ(draw, (GLint)host.fbo);
    EXPECT_EQ(host_read(host.fbo, GL_COLOR_ATTACHMENT0, 4, 4, 1, 1),
              std::vector<unsigned char>({128, 128, 128, 255}))
        << "the host's framebuffer was drawn into";
    EXPECT_EQ(pixel(2, 2), std::vector<int>({255, 0, 0, 255}));
    EXPECT_EQ(pixel(width - 2, height - 2), std::vector<int>({0, 0, 0, 0}))
        << "drawn outside the viewport it was given";
    gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
    GLint buffer = 0;
    gl.glGetIntegerv(GL_DRAW_BUFFER, &buffer);
    EXPECT_EQ(buffer, GL_BACK);
}

INSTANTIATE_TEST_SUITE_P(Profiles, Background, ::testing::Values(Profile::core, Profile::compat),
                         [](const auto &info) { return profile_name(info.param); });

} // namespace
