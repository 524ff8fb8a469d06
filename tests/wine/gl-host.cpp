#include "gl-host.h"

#include <GL/wglext.h>

static LRESULT CALLBACK window_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(w, msg, wp, lp);
}

// CS_OWNDC keeps one device context per window, as AWT's canvas class does,
// so a pixel format set through one GetDC is seen through the next.
HWND create_window(int width, int height) {
    static ATOM cls;
    if (!cls) {
        WNDCLASSW wc = {};
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = window_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OmbrelCanvas";
        cls = RegisterClassW(&wc);
    }
    RECT r = {0, 0, width, height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND w = CreateWindowW(L"OmbrelCanvas", L"ombrel-ui harness", WS_OVERLAPPEDWINDOW, 0, 0,
                           r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    if (w) ShowWindow(w, SW_SHOWNOACTIVATE);
    return w;
}

bool set_gl_pixel_format(HDC dc) {
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cAlphaBits = 8;
    pfd.cDepthBits = 24;
    pfd.cStencilBits = 8;
    int format = ChoosePixelFormat(dc, &pfd);
    return format && SetPixelFormat(dc, format, &pfd);
}

HGLRC create_host_context(HDC dc) {
    HGLRC legacy = wglCreateContext(dc);
    if (!legacy || !wglMakeCurrent(dc, legacy)) return nullptr;
    auto create = reinterpret_cast<PFNWGLCREATECONTEXTATTRIBSARBPROC>(
        wglGetProcAddress("wglCreateContextAttribsARB"));
    const int attribs[] = {WGL_CONTEXT_MAJOR_VERSION_ARB,
                           3,
                           WGL_CONTEXT_MINOR_VERSION_ARB,
                           3,
                           WGL_CONTEXT_PROFILE_MASK_ARB,
                           WGL_CONTEXT_COMPATIBILITY_PROFILE_BIT_ARB,
                           0};
    HGLRC modern = create ? create(dc, nullptr, attribs) : nullptr;
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(legacy);
    if (!modern || !wglMakeCurrent(dc, modern)) return nullptr;
    return modern;
}

template <typename F> static bool load(const char *name, F *out) {
    *out = reinterpret_cast<F>(wglGetProcAddress(name));
    return *out != nullptr;
}

bool load_host_gl(HostGl *gl) {
    return load("glGenFramebuffers", &gl->GenFramebuffers) &&
           load("glDeleteFramebuffers", &gl->DeleteFramebuffers) &&
           load("glBindFramebuffer", &gl->BindFramebuffer) &&
           load("glFramebufferTexture2D", &gl->FramebufferTexture2D) &&
           load("glUseProgram", &gl->UseProgram) && load("glGetIntegeri_v", &gl->GetIntegeri_v);
}
