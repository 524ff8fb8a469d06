// A small self-contained test framework for the Windows harness: GoogleTest
// does not exist for MinGW here. Tests register themselves, run in
// registration order in one process (the renderer's state is process-wide),
// and a failed check records the location and continues with the test.
#ifndef OMBREL_WINE_CHECK_H
#define OMBREL_WINE_CHECK_H

#include <cstdint>
#include <string>

struct TestCase {
    const char *name;
    void (*run)();
};

// Registers a test at static-initialisation time; order is file and line order.
struct TestRegistrar {
    TestRegistrar(const char *name, void (*run)());
};

#define TEST(name)                                                                                 \
    static void name();                                                                            \
    static TestRegistrar name##_registrar(#name, name);                                            \
    static void name()

void check_failed(const char *file, int line, const std::string &what);
int run_tests(const char *filter);

std::string describe(const std::string &v);
std::string describe(const char *v);
std::string describe(long long v);
std::string describe(unsigned long long v);
std::string describe(double v);
inline std::string describe(int v) {
    return describe((long long)v);
}
inline std::string describe(long v) {
    return describe((long long)v);
}
inline std::string describe(unsigned v) {
    return describe((unsigned long long)v);
}
inline std::string describe(unsigned long v) {
    return describe((unsigned long long)v);
}
inline std::string describe(unsigned short v) {
    return describe((unsigned long long)v);
}
inline std::string describe(unsigned char v) {
    return describe((unsigned long long)v);
}
inline std::string describe(const void *v) {
    return describe((unsigned long long)(uintptr_t)v);
}

#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond)) check_failed(__FILE__, __LINE__, "CHECK(" #cond ")");                         \
    } while (0)

// Compares with ==; both sides are printed on failure. Strings compare by text.
#define CHECK_EQ(actual, expected)                                                                 \
    do {                                                                                           \
        auto check_a_ = (actual);                                                                  \
        auto check_e_ = (expected);                                                                \
        if (!(check_a_ == check_e_))                                                               \
            check_failed(__FILE__, __LINE__,                                                       \
                         std::string(#actual " == " #expected "\n      actual:   ") +              \
                             describe(check_a_) + "\n      expected: " + describe(check_e_));      \
    } while (0)

// Ends the current test when a precondition for the rest of it does not hold.
#define REQUIRE(cond)                                                                              \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            check_failed(__FILE__, __LINE__, "REQUIRE(" #cond ")");                                \
            return;                                                                                \
        }                                                                                          \
    } while (0)

#endif
