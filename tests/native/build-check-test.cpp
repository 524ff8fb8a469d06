// The shape of the built library: what it exports, which libraries it needs,
// and which functions it imports; and the javadoc of the native methods
// against the library's list of messages.
#include "entry-points.h"
#include "messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

std::string run(const std::string &command) {
    std::string out;
    FILE *p = popen(command.c_str(), "r");
    if (!p) return out;
    char line[512];
    while (fgets(line, sizeof line, p))
        out += line;
    pclose(p);
    return out;
}

// The last word of every line of a command's output.
std::vector<std::string> last_words(const std::string &command) {
    std::vector<std::string> words;
    std::istringstream in(run(command));
    std::string line;
    while (std::getline(in, line)) {
        size_t at = line.find_last_of(' ');
        words.push_back(at == std::string::npos ? line : line.substr(at + 1));
    }
    return words;
}

std::string library() {
    return std::string("'") + OMBREL_LIBRARY + "'";
}

TEST(BuildCheck, ExportsExactlyTheFifteenEntryPoints) {
#define EXPORTED_NAME(ret, method, params) "Java_marlith_sdk_ui_render_NativeGpu_" #method,
    const std::set<std::string> expected = {OMBREL_ENTRY_POINTS(EXPORTED_NAME)};
#undef EXPORTED_NAME
    std::vector<std::string> found = last_words("nm -D --defined-only " + library());
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), expected);
    EXPECT_EQ(found.size(), 15u);
}

TEST(BuildCheck, NeedsOnlyXlibAndTheCLibrary) {
    std::vector<std::string> needed;
    std::istringstream in(run("readelf -d " + library()));
    std::string line;
    while (std::getline(in, line)) {
        size_t open = line.find("Shared library: [");
        if (open == std::string::npos) continue;
        open += 17;
        needed.push_back(line.substr(open, line.find(']', open) - open));
    }
    std::set<std::string> allowed = {"libX11.so.6", "libc.so.6", "libdl.so.2"};
    for (const std::string &lib : needed)
        EXPECT_TRUE(allowed.count(lib)) << "needs " << lib;
    EXPECT_TRUE(std::count(needed.begin(), needed.end(), "libX11.so.6"));
    EXPECT_TRUE(std::count(needed.begin(), needed.end(), "libc.so.6"));
}

// GL is loaded at run time and the renderer allocates nothing, so neither a
// GL function nor an allocator may be imported.
TEST(BuildCheck, ImportsNeitherGlNorAnAllocator) {
    const std::set<std::string> allocators = {"malloc", "calloc", "realloc", "free",  "strdup",
                                              "_Znwm",  "_Znam",  "_ZdlPv",  "_ZdaPv"};
    for (std::string name : last_words("nm -D --undefined-only " + library())) {
        name = name.substr(0, name.find('@'));
        EXPECT_FALSE(allocators.count(name)) << "imports " << name;
        EXPECT_NE(name.rfind("gl", 0), 0u) << "imports " << name;
    }
}

// ---- Messages in the javadoc -----------------------------------------------

// The messages by name: those of both platforms, then each platform's own.
namespace common {
#define OMBREL_MESSAGE(name, text) const char *const name = text;
OMBREL_MESSAGES(OMBREL_MESSAGE)
} // namespace common
namespace glx {
OMBREL_GLX_MESSAGES(OMBREL_MESSAGE)
} // namespace glx
namespace wgl {
OMBREL_WGL_MESSAGES(OMBREL_MESSAGE)
OMBREL_WGL_CODED_MESSAGES(OMBREL_MESSAGE)
} // namespace wgl
#undef OMBREL_MESSAGE

std::vector<std::string> every_message() {
#define OMBREL_MESSAGE(name, text) text,
    return {OMBREL_MESSAGES(OMBREL_MESSAGE) OMBREL_GLX_MESSAGES(OMBREL_MESSAGE)
                OMBREL_WGL_MESSAGES(OMBREL_MESSAGE) OMBREL_WGL_CODED_MESSAGES(OMBREL_MESSAGE)};
#undef OMBREL_MESSAGE
}

// The text of each native method's "@throws IllegalStateException" clause in
// NativeGpu.java, by method name, with the comment's line starts removed and
// white space runs made single blanks.
std::map<std::string, std::string> throws_clauses() {
    std::ifstream in(OMBREL_NATIVE_GPU_JAVA);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t from = text.find("// ---- native methods ----"), to = text.find("// ---- loading ----");
    EXPECT_NE(from, std::string::npos);
    EXPECT_NE(to, std::string::npos);
    std::string natives = text.substr(from, to - from);
    std::map<std::string, std::string> clauses;
    const std::regex method(
        R"(/\*\*((?:[^*]|\*(?!/))*)\*/\s*public static native [\w\[\]]+ (\w+)\()");
    for (std::sregex_iterator m(natives.begin(), natives.end(), method), end; m != end; ++m) {
        std::string doc = std::regex_replace((*m)[1].str(), std::regex(R"(\n\s*\*)"), " ");
        doc = std::regex_replace(doc, std::regex(R"(\s+)"), " ");
        size_t at = doc.find("@throws IllegalStateException");
        std::string clause = at == std::string::npos ? "" : doc.substr(at);
        clauses[(*m)[2].str()] = clause.substr(0, clause.find(" @", 1));
    }
    return clauses;
}

TEST(NativeJavadoc, NamesEveryMessageOfTheListAndNoOther) {
    std::map<std::string, std::string> clauses = throws_clauses();
    EXPECT_EQ(clauses.size(), 15u);
    std::string all;
    for (const auto &entry : clauses)
        all += entry.second + " ";
    std::vector<std::string> messages = every_message();
    for (const std::string &message : messages)
        EXPECT_NE(all.find('"' + message + '"'), std::string::npos)
            << "not in the javadoc: " << message;
    const std::regex quoted("\"([^\"]*)\"");
    for (std::sregex_iterator q(all.begin(), all.end(), quoted), end; q != end; ++q)
        EXPECT_TRUE(std::count(messages.begin(), messages.end(), (*q)[1].str()))
            << "quoted in the javadoc but not a message: " << (*q)[1];
}

// One row per native method: the messages it can raise, which its javadoc
// must name.
TEST(NativeJavadoc, EachMethodNamesTheMessagesItRaises) {
    using namespace common;
    const std::map<std::string, std::vector<const char *>> raised = {
        {"open",
         {already_open,
          wrong_context,
          cannot_retain_canvas,
          glx::cannot_load_libraries,
          glx::missing_window_entry_point,
          glx::jawt_unavailable,
          canvas_not_displayable,
          glx::cannot_lock_canvas,
          cannot_query_surface,
          glx::no_visual,
          glx::no_context,
          wgl::jawt_path_too_long,
          wgl::cannot_load_libraries,
          wgl::missing_window_entry_point,
          wgl::jawt_unavailable,
          wgl::cannot_lock_canvas,
          wgl::no_device_context,
          wgl::describe_failed,
          wgl::foreign_pixel_format,
          wgl::choose_failed,
          wgl::set_failed,
          wgl::no_context,
          wgl::make_current_failed,
          wgl::no_current_context,
          missing_entry_point,
          old_driver,
          seven_sources,
          sources_not_strings}},
        {"clientSize", {}},
        {"protocolVersion", {}},
        {"attach",
         {one_backend, glx::no_gl_library, wgl::no_gl_library, nothing_current, wrong_context,
          missing_entry_point, old_driver, seven_sources, sources_not_strings}},
        {"background", {wrong_context, size_out_of_range}},
        {"submit",
         {not_initialized, wrong_context, null_buffer, invalid_parameters, unbalanced_pop,
          clip_depth, unbalanced_pushes, renderer_object, not_a_framebuffer, bad_color_buffer,
          no_default_framebuffer, incomplete_target, multisampled, too_many_draw_buffers,
          texture_limit, incomplete_framebuffer}},
        {"createTexture", {invalid_texture, wrong_context, texture_too_large}},
        {"upload",
         {not_initialized, wrong_context, renderer_object, null_buffer, invalid_upload,
          upload_outside, not_a_texture}},
        {"deleteTexture", {wrong_context, renderer_object}},
        {"readPixels",
         {not_initialized, wrong_context, size_out_of_range, null_buffer, screenshot_too_small,
          read_only_screenshot, no_default_framebuffer}},
        {"swap", {wrong_context, wgl::swap_failed}},
        {"rendererString", {}},
        {"contextInfo", {}},
        {"glError", {wrong_context}},
        {"close", {wrong_context}},
    };
    std::map<std::string, std::string> clauses = throws_clauses();
    for (const auto &[method, messages] : raised) {
        SCOPED_TRACE(method);
        ASSERT_TRUE(clauses.count(method)) << "no javadoc found";
        EXPECT_EQ(clauses[method].empty(), messages.empty()) << clauses[method];
        for (const char *message : messages)
            EXPECT_NE(clauses[method].find(std::string("\"") + message + '"'), std::string::npos)
                << "missing: " << message;
    }
}

// The auto path falls back to software on the messages that say OpenGL 3.3
// is missing, matched by how they begin: a reworded message must not turn a
// fallback into a failure.
TEST(MessageList, AutoFallbackBeginsMessagesOfTheList) {
    std::ifstream in(OMBREL_AUTO_BACKEND_JAVA);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t from = text.find("NO_OPENGL = List.of("), to = text.find(");", from);
    ASSERT_NE(from, std::string::npos);
    std::string list = text.substr(from, to - from);
    std::vector<std::string> messages = every_message();
    int prefixes = 0;
    const std::regex quoted("\"([^\"]*)\"");
    for (std::sregex_iterator q(list.begin(), list.end(), quoted), end; q != end; ++q, ++prefixes)
        EXPECT_TRUE(std::any_of(messages.begin(), messages.end(),
                                [&](const std::string &m) { return m.rfind((*q)[1], 0) == 0; }))
            << "begins no message: " << (*q)[1];
    EXPECT_GT(prefixes, 0);
}

} // namespace
