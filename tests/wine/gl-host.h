// Windows and GL contexts of the harness's own: the window that plays the AWT
// Canvas, and the host context of attached mode. Everything here is real
// Wine: user32 windows, GDI pixel formats and opengl32 reaching Mesa.
#ifndef OMBREL_WINE_GL_HOST_H
#define OMBREL_WINE_GL_HOST_H

#include <windows.h>
#include <GL/gl.h>
#include <GL/glext.h>

// A visible top-level window whose client area is width x height.
HWND create_window(int width, int height);

// Sets a double-buffered RGBA OpenGL format on the window's DC.
bool set_gl_pixel_format(HDC dc);

// A 3.3 compatibility-profile context on `dc`, made current; null on failure.
HGLRC create_host_context(HDC dc);

// GL functions the harness itself calls, resolved for the current context.
struct HostGl {
    PFNGLGENFRAMEBUFFERSPROC GenFramebuffers;
    PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC BindFramebuffer;
    PFNGLFRAMEBUFFERTEXTURE2DPROC FramebufferTexture2D;
    PFNGLUSEPROGRAMPROC UseProgram;
    PFNGLGETINTEGERI_VPROC GetIntegeri_v;
};

bool load_host_gl(HostGl *gl);

#endif
