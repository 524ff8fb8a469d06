#include "check.h"

#include <cstdio>
#include <cstring>
#include <vector>

static std::vector<TestCase> &registry() {
    static std::vector<TestCase> tests;
    return tests;
}

static int current_failures;

TestRegistrar::TestRegistrar(const char *name, void (*run)()) {
    registry().push_back({name, run});
}

void check_failed(const char *file, int line, const std::string &what) {
    ++current_failures;
    std::printf("    %s:%d: %s\n", file, line, what.c_str());
    std::fflush(stdout);
}

std::string describe(const std::string &v) {
    return "\"" + v + "\"";
}
std::string describe(const char *v) {
    return v ? describe(std::string(v)) : "(null)";
}

std::string describe(long long v) {
    char text[64];
    std::snprintf(text, sizeof text, "%lld (0x%llX)", v, (unsigned long long)v);
    return text;
}

std::string describe(unsigned long long v) {
    char text[64];
    std::snprintf(text, sizeof text, "%llu (0x%llX)", v, v);
    return text;
}

std::string describe(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

// Runs every test whose name contains `filter` (all when null) and returns
// the number of failed tests.
int run_tests(const char *filter) {
    int failed = 0, ran = 0;
    for (const TestCase &t : registry()) {
        if (filter && !std::strstr(t.name, filter)) continue;
        current_failures = 0;
        std::printf("[ RUN  ] %s\n", t.name);
        std::fflush(stdout);
        t.run();
        ++ran;
        if (current_failures) ++failed;
        std::printf("[ %s ] %s\n", current_failures ? "FAIL" : " OK ", t.name);
        std::fflush(stdout);
    }
    std::printf("%d of %d tests failed\n", failed, ran);
    if (!ran) std::printf("no test matches \"%s\"\n", filter);
    return ran ? failed : 1;
}
