// Attached mode on a WGL context the harness made and made current itself.
#include "check.h"
#include "failures.h"
#include "gl-host.h"
#include "harness.h"
#include "scenario-run.h"

static JNIEnv *env() {
    return fake_env();
}

struct Host {
    HWND window;
    HDC dc;
    HGLRC context;
};

static Host make_host() {
    Host h = {create_window(canvas_width, canvas_height), nullptr, nullptr};
    h.dc = GetDC(h.window);
    if (set_gl_pixel_format(h.dc)) h.context = create_host_context(h.dc);
    return h;
}

static void release_host(const Host &h) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(h.context);
    DestroyWindow(h.window);
}

TEST(attached_mode_renders_the_shared_scenarios_and_leaves_the_host_context) {
    Host host = make_host();
    REQUIRE(host.context != nullptr);
    nr.attach(env(), native_gpu_class(), shader_array());
    REQUIRE(take_exception() == "");
    CHECK(wglGetCurrentContext() == host.context);
    check_scenarios("attached");

    nr.attach(env(), native_gpu_class(), shader_array());
    CHECK_EQ(take_exception(), ise_message(failure::one_backend));
    CHECK_EQ(open_renderer(), ise_message(failure::already_open));
    CHECK_EQ(nr.clientSize(env(), native_gpu_class()), 0);

    close_and_check_jni();
    CHECK(wglGetCurrentContext() == host.context);
    CHECK(wglGetCurrentDC() == host.dc);
    release_host(host);
}

// Attached mode has no window: swap hands SwapBuffers a null DC, which fails,
// and the message carries the code that failure leaves.
TEST(swap_in_attached_mode_reports_the_win32_error) {
    Host host = make_host();
    REQUIRE(host.context != nullptr);
    nr.attach(env(), native_gpu_class(), shader_array());
    REQUIRE(take_exception() == "");
    for (DWORD before : {0x0UL, 0x7EUL}) {
        SetLastError(before);
        SwapBuffers(nullptr);
        DWORD expected = GetLastError();
        SetLastError(before);
        nr.swap(env(), native_gpu_class());
        CHECK_EQ(take_exception(), ise_message(failure::swap_failed + win32_suffix(expected)));
    }
    close_and_check_jni();
    release_host(host);
}

// The renderer draws only in the context it attached to: with another one
// current each call raises and changes nothing, and close frees everything
// once the attached context is current again. With none current, attach
// refuses.
TEST(calls_from_another_context_are_refused_until_the_attached_one_is_current) {
    wglMakeCurrent(nullptr, nullptr);
    nr.attach(env(), native_gpu_class(), shader_array());
    CHECK_EQ(take_exception(), ise_message(failure::nothing_current));
    Host attached = make_host(), other = make_host();
    REQUIRE(attached.context != nullptr && other.context != nullptr);
    wglMakeCurrent(attached.dc, attached.context);
    nr.attach(env(), native_gpu_class(), shader_array());
    REQUIRE(take_exception() == "");

    wglMakeCurrent(other.dc, other.context);
    nr.background(env(), native_gpu_class(), 16, 16, 0, JNI_FALSE, JNI_FALSE, 0, 0);
    CHECK_EQ(take_exception(), ise_message(failure::wrong_context));
    CHECK_EQ(nr.glError(env(), native_gpu_class()), 0);
    CHECK_EQ(take_exception(), ise_message(failure::wrong_context));
    nr.close(env(), native_gpu_class());
    CHECK_EQ(take_exception(), ise_message(failure::wrong_context));
    CHECK(wglGetCurrentContext() == other.context);

    wglMakeCurrent(attached.dc, attached.context);
    close_and_check_jni();
    release_host(other);
    release_host(attached);
}
