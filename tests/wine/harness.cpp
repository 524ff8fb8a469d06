#include "harness.h"

#include "check.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "gl-host.h"
#include "win32-faults.h"

JawtControl ombrel_jawt_control;
std::wstring renderer_dll_path, jawt_stub_path, shader_dir;

HWND fresh_canvas() {
    arm_win32_fault(NO_FAULT, 0);
    ombrel_jawt_control = JawtControl();
    ombrel_jawt_control.window = create_window(canvas_width, canvas_height);
    return ombrel_jawt_control.window;
}

std::vector<std::string> shader_sources() {
    static const wchar_t *const files[7] = {L"fullscreen.vert", L"background.frag", L"blur.frag",
                                            L"record.vert",     L"glass.frag",      L"shape.frag",
                                            L"text.frag"};
    std::vector<std::string> sources;
    for (const wchar_t *f : files) {
        std::ifstream in((shader_dir + L"\\" + f).c_str(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in) std::printf("cannot read shader %ls\\%ls\n", shader_dir.c_str(), f);
        sources.push_back(text.str());
    }
    return sources;
}

jobjectArray shader_array() {
    return make_string_array(shader_sources());
}

std::string open_renderer(const std::wstring &jawt_path) {
    jobject canvas = make_object("java/awt/Canvas");
    std::u16string path(jawt_path.begin(), jawt_path.end());
    nr.open(fake_env(), native_gpu_class(), canvas, make_string(path), shader_array());
    return take_exception();
}

std::string open_renderer() {
    return open_renderer(jawt_stub_path);
}

void close_and_check_jni() {
    nr.close(fake_env(), native_gpu_class());
    CHECK_EQ(take_exception(), "");
    JniAudit a = jni_audit();
    CHECK_EQ(a.live_library_locals, 0);
    CHECK_EQ(a.live_globals, 0);
    CHECK_EQ(a.pinned_utf, 0);
    CHECK_EQ(a.pinned_chars, 0);
    for (const std::string &m : a.misuse)
        check_failed(__FILE__, __LINE__, "JNI misuse: " + m);
    reset_jni_audit();
}

std::string win32_suffix(DWORD code) {
    char text[32];
    std::snprintf(text, sizeof text, " (GetLastError=0x%08lX)", code);
    return text;
}

std::string ise_message(const std::string &message) {
    return "java/lang/IllegalStateException: " + message;
}

std::string narrow(const std::wstring &w) {
    std::string out;
    for (wchar_t c : w)
        out += c < 0x80 ? char(c) : '?';
    return out;
}
