#include "window.h"

std::string window_open(GlWindow *w, int width, int height) {
    w->display = XOpenDisplay(nullptr);
    if (!w->display) return "cannot open the X display";
    int attributes[] = {
        GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
    XVisualInfo *visual = glXChooseVisual(w->display, DefaultScreen(w->display), attributes);
    if (!visual) return "no double-buffered RGB visual";
    ::Window root = RootWindow(w->display, visual->screen);
    XSetWindowAttributes set = {};
    set.colormap = XCreateColormap(w->display, root, visual->visual, AllocNone);
    set.event_mask = StructureNotifyMask;
    w->window =
        XCreateWindow(w->display, root, 0, 0, (unsigned)width, (unsigned)height, 0, visual->depth,
                      InputOutput, visual->visual, CWColormap | CWEventMask, &set);
    XMapWindow(w->display, w->window);
    XEvent event;
    do
        XNextEvent(w->display, &event);
    while (event.type != MapNotify);
    w->context = glXCreateContext(w->display, visual, nullptr, True);
    XFree(visual);
    if (!w->context) return "glXCreateContext failed";
    if (!glXMakeCurrent(w->display, w->window, w->context)) return "glXMakeCurrent failed";
    return "";
}

void window_close(GlWindow *w) {
    if (!w->display) return;
    glXMakeCurrent(w->display, None, nullptr);
    if (w->context) glXDestroyContext(w->display, w->context);
    if (w->window) XDestroyWindow(w->display, w->window);
    XCloseDisplay(w->display);
    *w = GlWindow();
}
