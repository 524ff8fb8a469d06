// Unit test of the Win32 failure text. No export reaches a message longer
// than 110 bytes or an arbitrary error code, so this program compiles the
// renderer's own source together with the fake JNI environment and calls
// fail_win32 directly.
#include "../../native/renderer.cpp"

#include "check.h"
#include "fake-jni.h"

#include <string>

static std::string raised(const char *message, DWORD code) {
    SetLastError(code);
    fail_win32(fake_env(), message);
    return take_exception();
}

static const std::string ise = "java/lang/IllegalStateException: ";

TEST(fail_win32_appends_eight_upper_case_hex_digits) {
    CHECK_EQ(raised("SwapBuffers failed", 0), ise + "SwapBuffers failed (GetLastError=0x00000000)");
    CHECK_EQ(raised("SwapBuffers failed", 0x7E),
             ise + "SwapBuffers failed (GetLastError=0x0000007E)");
    CHECK_EQ(raised("SwapBuffers failed", 6), ise + "SwapBuffers failed (GetLastError=0x00000006)");
    CHECK_EQ(raised("GetDC(Canvas HWND) failed", 0xDEADBEEF),
             ise + "GetDC(Canvas HWND) failed (GetLastError=0xDEADBEEF)");
    CHECK_EQ(raised("", 0xABCDEF01), ise + " (GetLastError=0xABCDEF01)");
}

TEST(fail_win32_cuts_the_message_after_110_bytes) {
    std::string text;
    for (int i = 0; i < 150; ++i)
        text += char('A' + i % 26);
    const std::string suffix = " (GetLastError=0x0000FFFF)";
    CHECK_EQ(raised(text.substr(0, 110).c_str(), 0xFFFF), ise + text.substr(0, 110) + suffix);
    CHECK_EQ(raised(text.substr(0, 111).c_str(), 0xFFFF), ise + text.substr(0, 110) + suffix);
    std::string longest = raised(text.c_str(), 0xFFFF);
    CHECK_EQ(longest, ise + text.substr(0, 110) + suffix);
    CHECK_EQ(longest.size() - ise.size(), size_t(136));
}

// With an exception pending nothing new is raised, yet the text is composed.
TEST(fail_win32_raises_nothing_while_an_exception_is_pending) {
    reset_jni_audit();
    raise_pending("java/lang/OutOfMemoryError", "earlier");
    SetLastError(5);
    fail_win32(fake_env(), "SetPixelFormat failed");
    CHECK_EQ(take_exception(), "java/lang/OutOfMemoryError: earlier");
    CHECK_EQ(jni_audit().throws, 0);
    CHECK_EQ(std::string(win32_message), "SetPixelFormat failed (GetLastError=0x00000005)");
}

TEST(fail_win32_leaves_no_local_reference_behind) {
    reset_jni_audit();
    raised("ChoosePixelFormat failed", 1);
    JniAudit a = jni_audit();
    CHECK_EQ(a.live_library_locals, 0);
    CHECK_EQ(a.throws, 1);
    CHECK(a.misuse.empty());
}

int main() {
    return run_tests(nullptr) ? 1 : 0;
}
