// Drawing through the window binding: the shared scenarios, presenting with
// swap, and the client size of the Canvas window.
#include "check.h"
#include "gl-host.h"
#include "harness.h"
#include "scenario-run.h"

static JNIEnv *env() {
    return fake_env();
}

TEST(window_binding_renders_the_shared_scenarios) {
    HWND w = fresh_canvas();
    REQUIRE(open_renderer() == "");
    check_scenarios("window");
    close_and_check_jni();
    DestroyWindow(w);
}

// The window shows what the renderer drew once swap has presented it: GDI
// reads the window's pixels, which come from the presented buffer.
static COLORREF drawn(int color) {
    nr.background(env(), native_gpu_class(), canvas_width, canvas_height, 0.0f, JNI_FALSE, JNI_TRUE,
                  color, color);
    unsigned char back[4] = {};
    nr.readPixels(env(), native_gpu_class(), 1, 1, make_direct_buffer(back, 4));
    return RGB(back[0], back[1], back[2]);
}

TEST(swap_presents_the_back_buffer) {
    HWND w = fresh_canvas();
    REQUIRE(open_renderer() == "");
    HDC dc = GetDC(w);
    COLORREF warm = drawn(0xC08040);
    nr.swap(env(), native_gpu_class());
    CHECK_EQ(take_exception(), "");
    CHECK_EQ(GetPixel(dc, 0, canvas_height - 1), warm);

    COLORREF cold = drawn(0x2040C0);
    CHECK(cold != warm);
    CHECK_EQ(GetPixel(dc, 0, canvas_height - 1), warm);
    nr.swap(env(), native_gpu_class());
    CHECK_EQ(take_exception(), "");
    CHECK_EQ(GetPixel(dc, 0, canvas_height - 1), cold);
    close_and_check_jni();
    DestroyWindow(w);
}

TEST(client_size_follows_the_canvas_window) {
    HWND w = fresh_canvas();
    REQUIRE(open_renderer() == "");
    CHECK_EQ(nr.clientSize(env(), native_gpu_class()), (800LL << 32) + 600);
    RECT r = {0, 0, 640, 480};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(w, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    CHECK_EQ(nr.clientSize(env(), native_gpu_class()), (640LL << 32) + 480);
    close_and_check_jni();
    CHECK_EQ(nr.clientSize(env(), native_gpu_class()), 0);
    DestroyWindow(w);
}
