// open, clientSize and close of the Win32/WGL window binding, on real Wine
// windows and contexts, with JAWT and GDI/WGL failures provoked one by one.
#include "check.h"
#include "failures.h"
#include "gl-host.h"
#include "harness.h"
#include "win32-faults.h"

#include <cstdlib>
#include <vector>

static JNIEnv *env() {
    return fake_env();
}

static bool logged(const char *call) {
    return win32_record.wgl.find(call) != std::string::npos;
}

// The "major.minor" at the start of a GL_VERSION string as major*10+minor.
static int gl_version(const std::string &version) {
    return std::atoi(version.c_str()) * 10 + std::atoi(version.c_str() + version.find('.') + 1);
}

TEST(entry_points_answer_while_nothing_is_open) {
    CHECK_EQ(nr.protocolVersion(env(), native_gpu_class()), 24164);
    CHECK_EQ(nr.clientSize(env(), native_gpu_class()), 0);
    CHECK_EQ(nr.glError(env(), native_gpu_class()), 0);
    nr.swap(env(), native_gpu_class());
    close_and_check_jni();
}

TEST(open_makes_a_modern_context_current_and_close_releases_it) {
    HWND w = fresh_canvas();
    arm_win32_fault(NO_FAULT, 0);
    jobject canvas = make_object("java/awt/Canvas");
    std::u16string path(jawt_stub_path.begin(), jawt_stub_path.end());
    nr.open(env(), native_gpu_class(), canvas, make_string(path), shader_array());
    CHECK_EQ(take_exception(), "");

    const JawtControl &jawt = ombrel_jawt_control;
    CHECK_EQ(std::string(jawt.calls), "GetAWT Surface Lock Info FreeInfo Unlock FreeSurface ");
    CHECK_EQ(jawt.requested_version, JAWT_VERSION_1_4);
    CHECK(jawt.surface_target == canvas);
    CHECK_EQ(jni_audit().live_globals, 1);

    const PIXELFORMATDESCRIPTOR &want = win32_record.requested;
    CHECK_EQ(want.nSize, 40);
    CHECK_EQ(want.nVersion, 1);
    CHECK_EQ(want.dwFlags, DWORD(PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER));
    CHECK_EQ(want.iPixelType, PFD_TYPE_RGBA);
    CHECK_EQ(want.cColorBits, 32);
    CHECK_EQ(want.cAlphaBits, 8);
    CHECK_EQ(want.cDepthBits, 24);
    CHECK_EQ(want.cStencilBits, 8);
    CHECK_EQ(want.iLayerType, PFD_MAIN_PLANE);
    CHECK_EQ(win32_record.set_pixel_format_calls, 1);
    CHECK(GetPixelFormat(GetDC(w)) != 0);

    const int attribs[7] = {0x2091, 3, 0x2092, 3, 0x9126, 2, 0};
    for (int i = 0; i < 7; ++i)
        CHECK_EQ(win32_record.attribs[i], attribs[i]);
    CHECK(win32_record.attribs_share == nullptr);
    CHECK(win32_record.modern != nullptr);
    CHECK(wglGetCurrentContext() == win32_record.modern);
    CHECK(wglGetCurrentDC() == GetDC(w));
    CHECK(logged("delete=L"));

    std::string version = take_string(nr.contextInfo(env(), native_gpu_class()));
    CHECK(gl_version(version) >= 33);
    CHECK(take_string(nr.rendererString(env(), native_gpu_class())) != "unknown renderer");
    CHECK_EQ(nr.clientSize(env(), native_gpu_class()), (800LL << 32) + 600);

    close_and_check_jni();
    CHECK(wglGetCurrentContext() == nullptr);
    CHECK(!wglDeleteContext(win32_record.modern)); // already deleted by close
    CHECK_EQ(nr.clientSize(env(), native_gpu_class()), 0);
    CHECK_EQ(nr.glError(env(), native_gpu_class()), 0);
    DestroyWindow(w);
}

TEST(second_open_on_the_same_window_keeps_its_pixel_format) {
    HWND w = fresh_canvas();
    arm_win32_fault(NO_FAULT, 0);
    CHECK_EQ(open_renderer(), "");
    int format = GetPixelFormat(GetDC(w));
    close_and_check_jni();

    arm_win32_fault(NO_FAULT, 0);
    CHECK_EQ(open_renderer(), "");
    CHECK_EQ(win32_record.set_pixel_format_calls, 0);
    CHECK_EQ(GetPixelFormat(GetDC(w)), format);
    CHECK(wglGetCurrentContext() == win32_record.modern);
    CHECK_EQ(nr.clientSize(env(), native_gpu_class()), (800LL << 32) + 600);
    close_and_check_jni();
    DestroyWindow(w);
}

// A format with window and OpenGL support but a single buffer, as another
// toolkit may have left on the window, is used as it is.
TEST(existing_single_buffered_opengl_format_is_accepted) {
    HWND w = fresh_canvas();
    HDC dc = GetDC(w);
    PIXELFORMATDESCRIPTOR pfd = {};
    int count = DescribePixelFormat(dc, 1, sizeof pfd, &pfd), single = 0;
    for (int i = 1; i <= count && !single; ++i) {
        DescribePixelFormat(dc, i, sizeof pfd, &pfd);
        if ((pfd.dwFlags & (PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER)) ==
                (PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL) &&
            pfd.iPixelType == PFD_TYPE_RGBA)
            single = i;
    }
    REQUIRE(single != 0);
    REQUIRE(SetPixelFormat(dc, single, &pfd));
    arm_win32_fault(NO_FAULT, 0);
    CHECK_EQ(open_renderer(), "");
    CHECK_EQ(win32_record.set_pixel_format_calls, 0);
    CHECK_EQ(GetPixelFormat(dc), single);
    close_and_check_jni();
    DestroyWindow(w);
}

TEST(open_while_open_is_refused_and_keeps_the_first_binding) {
    HWND w = fresh_canvas();
    arm_win32_fault(NO_FAULT, 0);
    CHECK_EQ(open_renderer(), "");
    HGLRC first = wglGetCurrentContext();
    CHECK_EQ(open_renderer(), ise_message(failure::already_open));
    nr.attach(env(), native_gpu_class(), shader_array());
    CHECK_EQ(take_exception(), ise_message(failure::one_backend));
    CHECK(wglGetCurrentContext() == first);
    CHECK_EQ(nr.clientSize(env(), native_gpu_class()), (800LL << 32) + 600);
    close_and_check_jni();
    DestroyWindow(w);
}

// Each refusal before the window is reached: the message, what JAWT saw, and
// that close gives back the Canvas reference the failed open took.
TEST(open_failures_before_the_window_is_reached) {
    struct Case {
        const char *message;
        JawtFault fault;
        const char *jawt_calls;
    };
    const Case cases[] = {
        {failure::jawt_unavailable, JAWT_REFUSES_VERSION, "GetAWT "},
        {failure::canvas_not_displayable, JAWT_NO_SURFACE, "GetAWT Surface "},
        {failure::cannot_lock_canvas, JAWT_LOCK_FAILS, "GetAWT Surface Lock FreeSurface "},
        {failure::cannot_query_surface, JAWT_NO_SURFACE_INFO,
         "GetAWT Surface Lock Info Unlock FreeSurface "},
    };
    for (const Case &c : cases) {
        HWND w = fresh_canvas();
        ombrel_jawt_control.fault = c.fault;
        CHECK_EQ(open_renderer(), ise_message(c.message));
        CHECK_EQ(std::string(ombrel_jawt_control.calls), c.jawt_calls);
        CHECK(wglGetCurrentContext() == nullptr);
        CHECK_EQ(jni_audit().live_globals, 1);
        close_and_check_jni();
        DestroyWindow(w);
    }

    HWND w = fresh_canvas();
    fail_next_new_global_ref();
    CHECK_EQ(open_renderer(), ise_message(failure::cannot_retain_canvas));
    CHECK_EQ(std::string(ombrel_jawt_control.calls), "");
    close_and_check_jni();

    // A file without JAWT_GetAWT: the renderer DLL itself.
    CHECK_EQ(open_renderer(renderer_dll_path), ise_message(failure::missing_window_entry_point));
    close_and_check_jni();

    std::wstring missing = L"C:\\ombrel-no-such-dir\\jawt.dll";
    SetLastError(0);
    LoadLibraryW(missing.c_str());
    DWORD code = GetLastError();
    CHECK_EQ(code, 0x7EUL);
    CHECK_EQ(open_renderer(missing),
             ise_message(failure::cannot_load_libraries + win32_suffix(code)));
    CHECK_EQ(std::string(ombrel_jawt_control.calls), "");
    close_and_check_jni();
    DestroyWindow(w);
}

// Builds a path of exactly `units` UTF-16 code units below C:\ whose directory
// names mix Latin-1, CJK and a surrogate pair, and puts a copy of the stub there.
static std::wstring long_stub_path(size_t units) {
    std::wstring path = L"C:\\ombrel-jawt";
    CreateDirectoryW(path.c_str(), nullptr);
    const std::wstring segment =
        L"\\caf\u00e9-\u4e2d\u6587-\xD83D\xDE00-directory-with-a-long-name";
    while (path.size() + segment.size() + 20 < units) {
        path += segment;
        CreateDirectoryW(path.c_str(), nullptr);
    }
    path += L"\\jawt-";
    path += std::wstring(units - path.size() - 4, L'x');
    path += L".dll";
    CopyFileW(jawt_stub_path.c_str(), path.c_str(), FALSE);
    return path;
}

TEST(jawt_path_of_1022_units_is_loaded_and_1023_refused) {
    std::wstring longest = long_stub_path(1022);
    REQUIRE(longest.size() == 1022);
    REQUIRE(GetFileAttributesW(longest.c_str()) != INVALID_FILE_ATTRIBUTES);
    HWND w = fresh_canvas();
    arm_win32_fault(NO_FAULT, 0);
    CHECK_EQ(open_renderer(longest), "");
    CHECK(std::wstring(ombrel_jawt_control.module_path) == longest);
    CHECK(GetModuleHandleW(longest.c_str()) != nullptr);
    close_and_check_jni();

    std::wstring too_long = long_stub_path(1023);
    REQUIRE(too_long.size() == 1023);
    fresh_canvas();
    CHECK_EQ(open_renderer(too_long), ise_message(failure::jawt_path_too_long));
    CHECK_EQ(std::string(ombrel_jawt_control.calls), "");
    CHECK(GetModuleHandleW(too_long.c_str()) == nullptr);
    CHECK_EQ(jni_audit().live_globals, 1);
    close_and_check_jni();
    DestroyWindow(w);
}

// Win32 and WGL failures carry the code GetLastError held when they were
// raised: the failing call's own, or the one left by deleting a context.
TEST(open_failures_on_the_window_carry_the_win32_error) {
    HWND gone = create_window(canvas_width, canvas_height);
    DestroyWindow(gone);
    SetLastError(0);
    GetDC(gone);
    DWORD dead_window = GetLastError();
    fresh_canvas();
    ombrel_jawt_control.window = gone;
    CHECK_EQ(open_renderer(), ise_message(failure::no_device_context + win32_suffix(dead_window)));
    close_and_check_jni();

    struct Case {
        Win32Fault fault;
        DWORD code;
        bool format_set_before;
        std::string message;
    };
    const std::string both = failure::no_current_context;
    const Case cases[] = {
        {DESCRIBE_PIXEL_FORMAT_FAILS, 0x00C0FFEE, true,
         "DescribePixelFormat failed (GetLastError=0x00C0FFEE)"},
        {CHOOSE_PIXEL_FORMAT_FAILS, 0, false, "ChoosePixelFormat failed (GetLastError=0x00000000)"},
        {SET_PIXEL_FORMAT_FAILS, 0xABCD, false, "SetPixelFormat failed (GetLastError=0x0000ABCD)"},
        {CREATE_CONTEXT_FAILS, 0x8007000E, false,
         "wglCreateContext failed (GetLastError=0x8007000E)"},
        {FIRST_MAKE_CURRENT_FAILS, 0x7E, false,
         failure::make_current_failed + win32_suffix(error_after_delete)},
        {NEITHER_CURRENT, 0x7E, false, both + win32_suffix(error_after_delete)},
        {DESCRIBED_WITHOUT_OPENGL, 0, true,
         "The AWT Canvas already owns a pixel format that does not support windowed OpenGL. "
         "Keep -Dsun.java2d.opengl=false (the hotfix launcher sets it automatically)."},
    };
    for (const Case &c : cases) {
        HWND w = fresh_canvas();
        if (c.format_set_before) REQUIRE(set_gl_pixel_format(GetDC(w)));
        arm_win32_fault(c.fault, c.code);
        CHECK_EQ(open_renderer(), ise_message(c.message));
        CHECK(wglGetCurrentContext() == nullptr);
        if (c.fault == FIRST_MAKE_CURRENT_FAILS) CHECK(logged("delete=L"));
        if (c.fault == NEITHER_CURRENT) CHECK(logged("delete=M") && logged("delete=L"));
        std::string before_close = win32_record.wgl;
        close_and_check_jni();
        CHECK_EQ(win32_record.wgl, before_close); // no context was left to delete
        DestroyWindow(w);
    }
}

// Without a usable modern context the legacy one stays current and open goes
// on with it; the version check in the loader is what judges it.
TEST(open_falls_back_to_the_legacy_context) {
    for (Win32Fault fault : {NO_ATTRIBS_FUNCTION, ATTRIBS_RETURNS_NULL, MODERN_NOT_CURRENT}) {
        HWND w = fresh_canvas();
        arm_win32_fault(fault, 0x7E);
        CHECK_EQ(open_renderer(), "");
        CHECK(win32_record.legacy != nullptr);
        CHECK(wglGetCurrentContext() == win32_record.legacy);
        CHECK(!logged("delete=L"));
        if (fault == MODERN_NOT_CURRENT) CHECK(logged("delete=M"));
        CHECK(gl_version(take_string(nr.contextInfo(env(), native_gpu_class()))) >= 33);
        close_and_check_jni();
        CHECK(wglGetCurrentContext() == nullptr);
        CHECK(logged("delete=L"));
        DestroyWindow(w);
    }
}

// A failure after the context exists (here in building the programs) keeps
// the context current until close, which deletes it with everything else.
TEST(close_after_open_failed_in_shader_setup_releases_the_context) {
    std::vector<std::string> six = shader_sources();
    six.pop_back();
    std::vector<jobject> not_all_strings;
    for (const std::string &s : shader_sources())
        not_all_strings.push_back(make_string(s));
    not_all_strings[3] = make_object("java/lang/Object");
    std::vector<std::string> broken = shader_sources();
    broken[6] = "#version 330 core\nvoid main() { this is not GLSL }\n";

    const jobjectArray arrays[] = {make_string_array(six), make_object_array(not_all_strings),
                                   make_string_array(broken)};
    for (jobjectArray shaders : arrays) {
        HWND w = fresh_canvas();
        std::u16string path(jawt_stub_path.begin(), jawt_stub_path.end());
        nr.open(env(), native_gpu_class(), make_object("java/awt/Canvas"), make_string(path),
                shaders);
        std::string raised = take_exception();
        CHECK(raised.rfind(ise_message(""), 0) == 0);
        CHECK(raised.size() > ise_message("").size());
        CHECK(wglGetCurrentContext() == win32_record.modern);
        close_and_check_jni();
        CHECK(wglGetCurrentContext() == nullptr);
        CHECK(logged("delete=M"));
        DestroyWindow(w);
    }
    HWND w = fresh_canvas();
    CHECK_EQ(open_renderer(), ""); // and the next open starts afresh
    close_and_check_jni();
    DestroyWindow(w);
}

// An open after a failed one, without close in between, leaves nothing of the
// failed attempt behind: one Canvas reference, one context.
TEST(open_after_a_failed_open_takes_over_cleanly) {
    HWND w = fresh_canvas();
    std::vector<std::string> broken = shader_sources();
    broken[5] = "#version 330 core\nvoid main() { this is not GLSL }\n";
    std::u16string path(jawt_stub_path.begin(), jawt_stub_path.end());
    nr.open(env(), native_gpu_class(), make_object("java/awt/Canvas"), make_string(path),
            make_string_array(broken));
    CHECK(take_exception() != "");
    CHECK(wglGetCurrentContext() != nullptr);

    arm_win32_fault(NO_FAULT, 0);
    CHECK_EQ(open_renderer(), "");
    CHECK_EQ(jni_audit().live_globals, 1);
    CHECK(wglGetCurrentContext() == win32_record.modern);
    CHECK_EQ(nr.clientSize(env(), native_gpu_class()), (800LL << 32) + 600);
    close_and_check_jni();
    CHECK(wglGetCurrentContext() == nullptr);
    DestroyWindow(w);
}
