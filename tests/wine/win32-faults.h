// Watches the renderer's pixel-format and WGL calls and makes one of them fail
// on demand. The GDI functions are redirected in the renderer's import table;
// the WGL functions, which the renderer resolves by name from opengl32.dll, are
// redirected by answering its GetProcAddress calls with wrappers. Without an
// armed fault every wrapper forwards to the real function.
#ifndef OMBREL_WINE_WIN32_FAULTS_H
#define OMBREL_WINE_WIN32_FAULTS_H

#include <windows.h>

#include <string>

enum Win32Fault {
    NO_FAULT,
    DESCRIBE_PIXEL_FORMAT_FAILS,
    DESCRIBED_WITHOUT_OPENGL, // the window's format is reported without OpenGL support
    CHOOSE_PIXEL_FORMAT_FAILS,
    SET_PIXEL_FORMAT_FAILS,
    CREATE_CONTEXT_FAILS,
    FIRST_MAKE_CURRENT_FAILS,
    NO_ATTRIBS_FUNCTION,  // wglGetProcAddress knows no wglCreateContextAttribsARB
    ATTRIBS_RETURNS_NULL, // wglCreateContextAttribsARB refuses the attribute list
    MODERN_NOT_CURRENT,   // the modern context cannot be made current
    NEITHER_CURRENT       // neither the modern nor, afterwards, the legacy one
};

// Every wglDeleteContext leaves this error code behind while a fault is armed,
// so a test can tell whether the renderer read GetLastError after deleting.
const DWORD error_after_delete = 0x0000DE1E;

struct Win32Record {
    // Contexts are logged as L (made by wglCreateContext), M (made by
    // wglCreateContextAttribsARB) or 0 (null), e.g. "create=L current=L ...".
    std::string wgl;
    PIXELFORMATDESCRIPTOR requested; // what ChoosePixelFormat was asked for
    int set_pixel_format_calls;
    int attribs[16]; // the list handed to wglCreateContextAttribsARB
    HGLRC attribs_share;
    HGLRC legacy, modern;
};

extern Win32Record win32_record;

// Redirects the renderer's calls; false when an import is not where expected.
bool install_win32_interposer(HMODULE renderer);

// Arms one fault whose failing call leaves `code` for GetLastError, and clears
// the record.
void arm_win32_fault(Win32Fault fault, DWORD code);

#endif
