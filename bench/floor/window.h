// An X window of a given size with a legacy GLX context current on it, the
// same kind of context and back buffer the renderer makes on an AWT Canvas.
#ifndef OMBREL_BENCH_WINDOW_H
#define OMBREL_BENCH_WINDOW_H

#include <X11/Xlib.h>
#include <GL/glx.h>
#include <string>

struct GlWindow {
    Display *display = nullptr;
    Window window = 0;
    GLXContext context = nullptr;
};

// Opens the window and makes the context current; returns an empty string
// on success, else what failed.
std::string window_open(GlWindow *w, int width, int height);
void window_close(GlWindow *w);

#endif
