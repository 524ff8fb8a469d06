// GL entry-point loading: the 63 required names in their order, the version
// floor, a GL library without glXGetProcAddressARB, and the choice between
// indexed and plain blend calls.
#include "failures.h"
#include "renderer.h"

#include <algorithm>

namespace {

#define ENTRY_NAME(ret, name, params, args) #name,
const char *const required[] = {OMBREL_GL_REQUIRED(ENTRY_NAME)};
#undef ENTRY_NAME
constexpr int required_count = sizeof required / sizeof required[0];

const char *const too_old = "The active driver exposes less than OpenGL 3.3. Update the GPU driver "
                            "or use a machine with desktop OpenGL 3.3+.";

// Names asked of glXGetProcAddressARB, in order.
std::vector<std::string> lookups() {
    std::vector<std::string> names;
    for (const RecCall *c : rec_calls("glXGetProcAddressARB"))
        names.push_back(c->text);
    return names;
}

std::vector<std::string> first_required(int n) {
    return std::vector<std::string>(required, required + n);
}

// The recorded calls other than lookups.
std::vector<std::string> gl_calls() {
    std::vector<std::string> names = rec_names();
    names.erase(std::remove(names.begin(), names.end(), "glXGetProcAddressARB"), names.end());
    return names;
}

bool called_with(const RecCall *c, const char *name, GLenum pname) {
    return std::string(c->name) == name && c->i[0] == (long long)pname;
}

// The lookup order is part of the renderer's contract (it decides which name
// a driver lacking several reports), so the shared list is checked against it.
TEST(RequiredList, IsTheSixtyThreeNamesInLookupOrder) {
    const std::vector<std::string> order = {"glActiveTexture",
                                            "glAttachShader",
                                            "glBindFramebuffer",
                                            "glBindTexture",
                                            "glBindVertexArray",
                                            "glBlendEquationSeparate",
                                            "glBlendFuncSeparate",
                                            "glBlitFramebuffer",
                                            "glCompileShader",
                                            "glCreateProgram",
                                            "glCreateShader",
                                            "glDeleteFramebuffers",
                                            "glDeleteProgram",
                                            "glDeleteShader",
                                            "glDeleteTextures",
                                            "glDeleteVertexArrays",
                                            "glDisable",
                                            "glDrawArrays",
                                            "glDrawBuffer",
                                            "glEnable",
                                            "glFramebufferTexture2D",
                                            "glGenFramebuffers",
                                            "glGenTextures",
                                            "glGenVertexArrays",
                                            "glCheckFramebufferStatus",
                                            "glGetError",
                                            "glGetIntegerv",
                                            "glGetProgramInfoLog",
                                            "glGetProgramiv",
                                            "glGetShaderInfoLog",
                                            "glGetShaderiv",
                                            "glGetString",
                                            "glGetUniformLocation",
                                            "glLinkProgram",
                                            "glReadBuffer",
                                            "glShaderSource",
                                            "glTexImage2D",
                                            "glTexParameteri",
                                            "glUniform4fv",
                                            "glUniform1f",
                                            "glUniform1i",
                                            "glUniform2f",
                                            "glUniform4f",
                                            "glUseProgram",
                                            "glViewport",
                                            "glIsEnabled",
                                            "glScissor",
                                            "glGetIntegeri_v",
                                            "glColorMaski",
                                            "glIsEnabledi",
                                            "glEnablei",
                                            "glDisablei",
                                            "glBindBuffer",
                                            "glBindSampler",
                                            "glPixelStorei",
                                            "glPolygonMode",
                                            "glTexSubImage2D",
                                            "glReadPixels",
                                            "glGetStringi",
                                            "glIsTexture",
                                            "glIsFramebuffer",
                                            "glGetTexLevelParameteriv",
                                            "glGetFramebufferAttachmentParameteriv"};
    EXPECT_EQ(first_required(required_count), order);
}

TEST_F(RendererTest, EachMissingNameIsReportedAfterTheNamesBeforeIt) {
    start(Profile::core);
    for (int k = 0; k < required_count; k++) {
        SCOPED_TRACE(required[k]);
        rec_unhide();
        rec_hide_name(required[k]);
        rec_reset();
        native::attach(sources_array(test_sources()));
        expect_thrown("java.lang.IllegalStateException",
                      std::string(failure::missing_entry_point) + required[k]);
        EXPECT_EQ(lookups(), first_required(k + 1)) << "lookups out of order or past the miss";
        EXPECT_EQ(gl_calls(), std::vector<std::string>()) << "GL was called after the miss";
    }
    rec_unhide();
    rec_reset();
    native::close();
    EXPECT_EQ(rec_size(), 0) << "close after failed loads called GL";
    attach_ok();
}

TEST_F(RendererTest, OfSeveralMissingNamesTheFirstInListOrderIsReported) {
    start(Profile::compat);
    rec_hide_name("glPolygonMode");
    rec_hide_name("glBindSampler");
    native::attach(sources_array(test_sources()));
    expect_thrown("java.lang.IllegalStateException", "Missing OpenGL entry point: glBindSampler");
    rec_unhide();
    rec_hide_name("glGetStringi");
    rec_hide_name("glActiveTexture");
    native::attach(sources_array(test_sources()));
    expect_thrown("java.lang.IllegalStateException", "Missing OpenGL entry point: glActiveTexture");
}

TEST_F(RendererTest, LibraryWithoutGetProcAddressResolvesEverythingByDlsym) {
    if (!in_child({})) return;
    start(Profile::core, 4, 5, RecorderKind::direct);
    attach_ok();
    EXPECT_EQ(rec_calls("glCreateProgram").size(), 5u);
    EXPECT_FALSE(rec_calls("glBlendFuncSeparatei").empty())
        << "the optional indexed blend call was not resolved by dlsym";
    rec_reset();
    native::close();
    expect_no_exception();
    EXPECT_EQ(rec_calls("glDeleteProgram").size(), 5u);
}

TEST_F(RendererTest, ContextBelowThreeThreeIsRefusedAfterTheLookups) {
    if (!in_child({"MESA_GL_VERSION_OVERRIDE=3.2"})) return;
    start(Profile::core, 3, 2);
    GLint major = 0, minor = 0;
    gl.glGetIntegerv(GL_MAJOR_VERSION, &major);
    gl.glGetIntegerv(GL_MINOR_VERSION, &minor);
    ASSERT_EQ(major * 10 + minor, 32) << "the override did not give a 3.2 context";

    rec_reset();
    native::attach(sources_array(test_sources()));
    expect_thrown("java.lang.IllegalStateException", too_old);
    EXPECT_EQ(lookups(), first_required(required_count));
    std::vector<const RecCall *> calls;
    for (const RecCall *c : rec_calls())
        if (std::string(c->name) != "glXGetProcAddressARB") calls.push_back(c);
    ASSERT_EQ(calls.size(), 2u) << "expected only the two version queries";
    EXPECT_TRUE(called_with(calls[0], "glGetIntegerv", GL_MAJOR_VERSION));
    EXPECT_TRUE(called_with(calls[1], "glGetIntegerv", GL_MINOR_VERSION));

    rec_reset();
    native::close();
    EXPECT_EQ(rec_size(), 0);
}

// ---- Indexed blend calls ----------------------------------------------------

enum class BlendPath { core_indexed, arb_indexed, plain };
enum class ExtensionWalk { none, to_match, whole };

struct BlendCase {
    const char *name;
    std::vector<std::string> environment;
    int major, minor;
    std::vector<const char *> hidden;
    ExtensionWalk walk;
    BlendPath path;
};

void PrintTo(const BlendCase &c, std::ostream *out) {
    *out << c.name;
}

class IndexedBlend : public RendererTest, public ::testing::WithParamInterface<BlendCase> {};

const GLint host_blend[6] = {GL_SRC_ALPHA, GL_ONE_MINUS_DST_COLOR, GL_ZERO,
                             GL_DST_ALPHA, GL_FUNC_SUBTRACT,       GL_MAX};

int extension_index(const char *wanted, int *count) {
    *count = 0;
    gl.glGetIntegerv(GL_NUM_EXTENSIONS, count);
    for (int i = 0; i < *count; i++)
        if (std::string((const char *)gl.glGetStringi(GL_EXTENSIONS, i)) == wanted) return i;
    return -1;
}

// The extension indices read with glGetStringi, split into walks that each
// start at index 0.
std::vector<std::vector<long long>> extension_walks() {
    std::vector<std::vector<long long>> walks;
    for (const RecCall *c : rec_calls("glGetStringi")) {
        EXPECT_EQ(c->i[0], GL_EXTENSIONS);
        if (c->i[1] == 0 || walks.empty()) walks.emplace_back();
        walks.back().push_back(c->i[1]);
    }
    return walks;
}

void expect_blend_calls(BlendPath path) {
    const char *func = path == BlendPath::core_indexed  ? "glBlendFuncSeparatei"
                       : path == BlendPath::arb_indexed ? "glBlendFuncSeparateiARB"
                                                        : "glBlendFuncSeparate";
    const char *equation = path == BlendPath::core_indexed  ? "glBlendEquationSeparatei"
                           : path == BlendPath::arb_indexed ? "glBlendEquationSeparateiARB"
                                                            : "glBlendEquationSeparate";
    const char *setters[] = {"glBlendFuncSeparatei",    "glBlendEquationSeparatei",
                             "glBlendFuncSeparateiARB", "glBlendEquationSeparateiARB",
                             "glBlendFuncSeparate",     "glBlendEquationSeparate"};
    for (const char *s : setters) {
        size_t expected = (std::string(s) == func || std::string(s) == equation) ? 1 : 0;
        EXPECT_EQ(rec_calls(s).size(), expected) << s;
    }
    std::vector<const RecCall *> f = rec_calls(func), e = rec_calls(equation);
    if (f.size() != 1 || e.size() != 1) return;
    int base = path == BlendPath::plain ? 0 : 1;
    if (base) {
        EXPECT_EQ(f[0]->i[0], 0) << "indexed blend must address draw buffer 0";
        EXPECT_EQ(e[0]->i[0], 0) << "indexed blend must address draw buffer 0";
    }
    for (int k = 0; k < 4; k++)
        EXPECT_EQ(f[0]->i[base + k], host_blend[k]) << func << " arg " << k;
    for (int k = 0; k < 2; k++)
        EXPECT_EQ(e[0]->i[base + k], host_blend[4 + k]) << equation << " arg " << k;
}

TEST_P(IndexedBlend, AttachRestoresBlendThroughTheChosenCalls) {
    const BlendCase &c = GetParam();
    if (!in_child(c.environment)) return;
    start(Profile::core, c.major, c.minor);
    if (host_version() < c.major * 10 + c.minor)
        GTEST_SKIP() << "the driver has no OpenGL " << c.major << "." << c.minor;
    gl.glBlendFuncSeparate(host_blend[0], host_blend[1], host_blend[2], host_blend[3]);
    gl.glBlendEquationSeparate(host_blend[4], host_blend[5]);
    int count = 0;
    int match = extension_index("GL_ARB_draw_buffers_blend", &count);
    for (const char *name : c.hidden)
        rec_hide_name(name);

    rec_reset();
    attach_ok();
    int walk_end = c.walk == ExtensionWalk::whole      ? count
                   : c.walk == ExtensionWalk::to_match ? match + 1
                                                       : 0;
    if (c.walk == ExtensionWalk::to_match) {
        ASSERT_GE(match, 0) << "the context lacks the extension";
    }
    if (c.walk == ExtensionWalk::whole) {
        ASSERT_LT(match, 0) << "the extension is still present";
    }
    std::vector<long long> expected_walk;
    for (int i = 0; i < walk_end; i++)
        expected_walk.push_back(i);
    std::vector<std::vector<long long>> walks = extension_walks();
    if (c.walk == ExtensionWalk::none)
        EXPECT_TRUE(walks.empty()) << "GL 4 must not read the list";
    else
        EXPECT_FALSE(walks.empty()) << "the extension list was not read";
    for (const std::vector<long long> &walk : walks)
        EXPECT_EQ(walk, expected_walk) << "a walk must run from 0 and stop at the first match";

    std::vector<std::string> looked = lookups();
    bool indexed_looked =
        std::find(looked.begin(), looked.end(), "glBlendFuncSeparatei") != looked.end();
    EXPECT_EQ(indexed_looked, c.walk != ExtensionWalk::whole)
        << "indexed names must be looked up exactly when the version or extension allows";
    expect_blend_calls(c.path);

    // submit's capture sets the renderer's blending through the same calls.
    HostTarget target = host_target(8, 8, 0, 0, 0, 1);
    std::vector<float> none(1);
    rec_reset();
    native::submit(direct_float_buffer(none.data(), 0), 0, (jint)target.fbo, GL_COLOR_ATTACHMENT0,
                   8, 8, 8, 8, 0, 0, 0);
    expect_no_exception();
    std::vector<const RecCall *> func =
        rec_calls(c.path == BlendPath::core_indexed  ? "glBlendFuncSeparatei"
                  : c.path == BlendPath::arb_indexed ? "glBlendFuncSeparateiARB"
                                                     : "glBlendFuncSeparate");
    ASSERT_EQ(func.size(), 2u) << "the capture's blending, then the restore";
    int base = c.path == BlendPath::plain ? 0 : 1;
    EXPECT_EQ(func[0]->i[base], GL_ONE);
    EXPECT_EQ(func[0]->i[base + 1], GL_ONE_MINUS_SRC_ALPHA);

    GLint now[6];
    const GLenum pnames[6] = {GL_BLEND_SRC_RGB,   GL_BLEND_DST_RGB,      GL_BLEND_SRC_ALPHA,
                              GL_BLEND_DST_ALPHA, GL_BLEND_EQUATION_RGB, GL_BLEND_EQUATION_ALPHA};
    for (int k = 0; k < 6; k++) {
        gl.glGetIntegerv(pnames[k], &now[k]);
        EXPECT_EQ(now[k], host_blend[k]);
    }
}

const char *const v33 = "MESA_GL_VERSION_OVERRIDE=3.3";

INSTANTIATE_TEST_SUITE_P(
    Drivers, IndexedBlend,
    ::testing::Values(
        BlendCase{"gl45", {}, 4, 5, {}, ExtensionWalk::none, BlendPath::core_indexed},
        BlendCase{
            "gl33_extension", {v33}, 3, 3, {}, ExtensionWalk::to_match, BlendPath::core_indexed},
        BlendCase{"gl33_extension_arb_names_only",
                  {v33},
                  3,
                  3,
                  {"glBlendFuncSeparatei"},
                  ExtensionWalk::to_match,
                  BlendPath::arb_indexed},
        BlendCase{"gl33_extension_arb_equation_only",
                  {v33},
                  3,
                  3,
                  {"glBlendFuncSeparatei", "glBlendFuncSeparateiARB"},
                  ExtensionWalk::to_match,
                  BlendPath::plain},
        BlendCase{"gl33_extension_arb_function_only",
                  {v33},
                  3,
                  3,
                  {"glBlendEquationSeparatei", "glBlendEquationSeparateiARB"},
                  ExtensionWalk::to_match,
                  BlendPath::plain},
        BlendCase{"gl33_without_extension",
                  {"MESA_EXTENSION_OVERRIDE=-GL_ARB_draw_buffers_blend"},
                  3,
                  3,
                  {},
                  ExtensionWalk::whole,
                  BlendPath::plain}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
