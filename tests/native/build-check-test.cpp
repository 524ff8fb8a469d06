// The shape of the built library: what it exports, which libraries it needs,
// and which functions it imports.
#include "entry-points.h"

#include <gtest/gtest.h>

#include <algorithm>
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

} // namespace
