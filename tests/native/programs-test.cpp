// Shader programs: the seven-source contract, compile and link failures with
// the GL info log as the message, clean-up after failures, and the uniform
// and sampler set-up of a successful attach.
#include "failures.h"
#include "objects.h"
#include "records.h"
#include "renderer.h"
#include "uniforms.h"

#include <algorithm>

namespace {

const char *const state_exception = "java.lang.IllegalStateException";

bool creates_anything() {
    for (const std::string &name : rec_names())
        if (name.rfind("glCreate", 0) == 0 || name.rfind("glGen", 0) == 0 ||
            name == "glShaderSource" || name == "glCompileShader")
            return true;
    return false;
}

void expect_close_frees_everything() {
    GlObjects created = created_in_log();
    host_bind_names(created);
    native::close();
    expect_no_exception();
    expect_all_deleted(created, deleted_in_log());
    expect_gone(created);
}

class Programs : public RendererTest, public ::testing::WithParamInterface<Profile> {
  protected:
    void SetUp() override {
        RendererTest::SetUp();
        start(GetParam(), 4, 5, RecorderKind::lookup, 16, 16);
        rec_reset();
    }

    // attach with the test sources, role `index` replaced by `source`.
    void attach_with(int index, const std::string &source) {
        std::vector<std::string> sources = test_sources();
        sources[index] = source;
        native::attach(sources_array(sources));
    }

    // attach with role `index` replaced by the source in `file`, which does
    // not compile as a `type` shader: its info log is raised once `programs`
    // programs were made.
    void expect_compile_failure(int index, const char *file, GLenum type, size_t programs) {
        std::string broken = test_shader(file);
        attach_with(index, broken);
        expect_thrown(state_exception, host_compile_log(type, broken));
        EXPECT_EQ(rec_calls("glCreateProgram").size(), programs);
    }
};

TEST_P(Programs, WrongSourceCountIsRefusedBeforeAnyObjectExists) {
    std::vector<std::string> six = test_sources();
    six.pop_back();
    std::vector<std::string> eight = test_sources();
    eight.push_back(eight.back());
    for (jobjectArray sources :
         {sources_array(six), sources_array(eight), (jobjectArray) nullptr}) {
        rec_reset();
        native::attach(sources);
        expect_thrown(state_exception, failure::seven_sources);
        EXPECT_FALSE(creates_anything()) << "GL objects were made for a refused source array";
        rec_reset();
        native::close();
        EXPECT_EQ(rec_size(), 0) << "close after a refused source array called GL";
    }
}

TEST_P(Programs, NullOrNonStringSourceIsRefused) {
    std::vector<std::string> sources = test_sources();
    std::vector<const char *> texts;
    for (const std::string &s : sources)
        texts.push_back(s.c_str());
    for (int index : {0, 3, 6}) {
        SCOPED_TRACE(index);
        std::vector<const char *> with_null = texts;
        with_null[index] = nullptr;
        rec_reset();
        native::attach(string_array(with_null));
        expect_thrown(state_exception, failure::sources_not_strings);
        expect_close_frees_everything();

        rec_reset();
        native::attach(array_with_integer(texts, index));
        expect_thrown(state_exception, failure::sources_not_strings);
        expect_close_frees_everything();
    }
    rec_reset();
    attach_ok();
}

TEST_P(Programs, VertexSourceThatDoesNotCompileReportsItsLog) {
    // Background and blur both fail on source 0; glass, shape and text link.
    expect_compile_failure(0, "broken-source-0.vert", GL_VERTEX_SHADER, 3);
    EXPECT_EQ(rec_calls("glGenVertexArrays").size(), 1u);
    EXPECT_TRUE(rec_calls("glGenTextures").empty()) << "textures named after a failed program";
    expect_close_frees_everything();
}

TEST_P(Programs, TextFragmentThatDoesNotCompileReportsItsLog) {
    expect_compile_failure(6, "broken-source-6.frag", GL_FRAGMENT_SHADER, 4);
    expect_close_frees_everything();
}

TEST_P(Programs, ProgramThatDoesNotLinkReportsTheProgramLog) {
    std::string mismatch = test_shader("link-mismatch.frag");
    std::string log = host_link_log(test_shader("record.vert"), mismatch);
    ASSERT_FALSE(log.empty());
    attach_with(5, mismatch);
    expect_thrown(state_exception, log);
    expect_close_frees_everything();
}

// A failed attach keeps what it made until close; a new attach without close
// deletes it first instead of piling up a second set of objects.
TEST_P(Programs, AttachAfterAFailedAttachDeletesWhatTheFailedOneMade) {
    attach_with(6, test_shader("broken-source-6.frag"));
    expect_thrown(state_exception,
                  host_compile_log(GL_FRAGMENT_SHADER, test_shader("broken-source-6.frag")));
    GlObjects failed = created_in_log();
    ASSERT_EQ(failed.programs.size(), 4u);
    failed.shaders.clear(); // already deleted by the failed attach itself
    rec_reset();
    attach_ok();
    expect_all_deleted(failed, deleted_in_log());
    host_bind_names(failed);
    expect_gone(failed);
}

TEST_P(Programs, OnlyTheFirstOfSeveralFailuresIsRaised) {
    std::vector<std::string> sources = test_sources();
    sources[0] = test_shader("broken-source-0.vert");
    sources[6] = test_shader("broken-source-6.frag");
    native::attach(sources_array(sources));
    expect_thrown(state_exception, host_compile_log(GL_VERTEX_SHADER, sources[0]));
    // All five programs were still attempted: glass and shape link.
    EXPECT_EQ(rec_calls("glCreateProgram").size(), 2u);
    expect_close_frees_everything();
}

GLint uniform_int(GLuint program, const char *name) {
    GLint value = -1;
    gl.glGetUniformiv(program, gl.glGetUniformLocation(program, name), &value);
    return value;
}

TEST_P(Programs, SamplersAreBoundToTheirFixedUnits) {
    attach_ok();
    std::vector<const RecCall *> made = rec_calls("glCreateProgram");
    ASSERT_EQ(made.size(), 5u);
    GLuint blur = (GLuint)made[1]->ret, glass = (GLuint)made[2]->ret, text = (GLuint)made[4]->ret;
    EXPECT_EQ(uniform_int(blur, "src"), 0);
    EXPECT_EQ(uniform_int(glass, "sharpTex"), 0);
    EXPECT_EQ(uniform_int(glass, "blurTex"), 1);
    EXPECT_EQ(uniform_int(text, "atlas"), 0);
}

TEST_P(Programs, EveryUniformIsLookedUpOnceInEachDrawProgram) {
    attach_ok();
    std::vector<const RecCall *> made = rec_calls("glCreateProgram");
    ASSERT_EQ(made.size(), 5u);
#define UNIFORM_NAME(field, name) name,
    const std::vector<std::string> draw = {OMBREL_DRAW_UNIFORMS(UNIFORM_NAME)};
    const std::vector<std::vector<std::string>> expected = {
        {OMBREL_BACKGROUND_UNIFORMS(UNIFORM_NAME)},
        {OMBREL_BLUR_UNIFORMS(UNIFORM_NAME)},
        draw,
        draw,
        draw};
#undef UNIFORM_NAME
#define SAMPLER_NAME(program, name, unit) name,
    const std::vector<std::string> samplers = {OMBREL_SAMPLERS(SAMPLER_NAME)};
#undef SAMPLER_NAME
    for (int p = 0; p < 5; p++) {
        std::vector<std::string> asked;
        for (const RecCall *c : rec_calls("glGetUniformLocation"))
            if (c->i[0] == made[p]->ret) asked.push_back(c->text);
        // Samplers that are not among the program's uniforms are looked up
        // only to set their units.
        asked.erase(std::remove_if(asked.begin(), asked.end(),
                                   [&](const std::string &n) {
                                       return std::count(samplers.begin(), samplers.end(), n) &&
                                              !std::count(expected[p].begin(), expected[p].end(),
                                                          n);
                                   }),
                    asked.end());
        EXPECT_EQ(asked, expected[p]) << "program " << p;
    }
}

// The Java side's own shaders: they build, and they declare every uniform
// with the type the renderer sets it with (a mismatch is a GL error).
TEST_P(Programs, ReferenceShadersTakeEveryUniformTheRendererSets) {
    native::attach(sources_array(reference_sources()));
    expect_no_exception();
    EXPECT_EQ(rec_calls("glCreateProgram").size(), 5u);
    HostTarget target = host_target(64, 48, 0.2f, 0.4f, 0.6f, 1);
    jint atlas = native::create_texture(2, 2);
    Stream s = every_pass((uint32_t)atlas);
    s.add(record(3).rect(10, 10, 8, 8).ink(0, 1, 0, 1));
    native::submit(s.buffer(), s.count(), (jint)target.fbo, GL_COLOR_ATTACHMENT0, 64, 48, 32, 24, 6,
                   0.5f, 0.5f);
    expect_no_exception();
    EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR) << "submit";
    native::background(16, 16, 1.5f, 1, 1, 0x336699, 0xFFCC00);
    EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR) << "background";
    native::delete_texture(atlas);
}

INSTANTIATE_TEST_SUITE_P(Profiles, Programs, ::testing::Values(Profile::core, Profile::compat),
                         [](const auto &info) { return profile_name(info.param); });

} // namespace
