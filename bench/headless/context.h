// A GL context without a window or an X server, made with EGL. The display
// comes from the device platform (a GPU named by the driver, without a
// display server), else from Mesa's surfaceless platform, else from the
// default display. The context always draws into a pbuffer of the frame's
// size: the renderer's background pass paints only the default framebuffer,
// so the pbuffer is that framebuffer, the one the window contestants' window
// gives them.
#ifndef OMBREL_BENCH_HEADLESS_CONTEXT_H
#define OMBREL_BENCH_HEADLESS_CONTEXT_H

#include <EGL/egl.h>
#include <string>

struct Headless {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
    const char *platform = "";
};

// Makes the context and its width x height pbuffer current; returns an empty
// string on success, else what failed on every platform tried.
std::string headless_open(Headless *h, int width, int height);
void headless_close(Headless *h);

#endif
