#include "win32-faults.h"

#include "interpose.h"

#include <GL/gl.h>
#include <GL/wglext.h>

#include <cstring>

Win32Record win32_record;

namespace {

Win32Fault armed;
DWORD armed_code;
bool modern_tried;

decltype(&ChoosePixelFormat) real_choose;
decltype(&SetPixelFormat) real_set;
decltype(&DescribePixelFormat) real_describe;
decltype(&GetProcAddress) real_get_proc_address;

typedef HGLRC(WINAPI *CreateContextFn)(HDC);
typedef BOOL(WINAPI *DeleteContextFn)(HGLRC);
typedef BOOL(WINAPI *MakeCurrentFn)(HDC, HGLRC);
typedef PROC(WINAPI *GetProcFn)(LPCSTR);
CreateContextFn real_create;
DeleteContextFn real_delete;
MakeCurrentFn real_make_current;
GetProcFn real_wgl_get_proc;
PFNWGLCREATECONTEXTATTRIBSARBPROC real_attribs;

const char *label(HGLRC rc) {
    if (!rc) return "0";
    if (rc == win32_record.legacy) return "L";
    if (rc == win32_record.modern) return "M";
    return "?";
}

void log(const char *call, HGLRC rc) {
    win32_record.wgl += std::string(call) + "=" + label(rc) + " ";
}

BOOL fail_with(DWORD code) {
    SetLastError(code);
    return FALSE;
}

int WINAPI choose(HDC dc, const PIXELFORMATDESCRIPTOR *pfd) {
    win32_record.requested = *pfd;
    if (armed == CHOOSE_PIXEL_FORMAT_FAILS) return fail_with(armed_code);
    return real_choose(dc, pfd);
}

BOOL WINAPI set(HDC dc, int format, const PIXELFORMATDESCRIPTOR *pfd) {
    ++win32_record.set_pixel_format_calls;
    if (armed == SET_PIXEL_FORMAT_FAILS) return fail_with(armed_code);
    return real_set(dc, format, pfd);
}

int WINAPI describe(HDC dc, int format, UINT size, PIXELFORMATDESCRIPTOR *pfd) {
    if (armed == DESCRIBE_PIXEL_FORMAT_FAILS) return fail_with(armed_code);
    int max = real_describe(dc, format, size, pfd);
    if (armed == DESCRIBED_WITHOUT_OPENGL) pfd->dwFlags &= ~PFD_SUPPORT_OPENGL;
    return max;
}

HGLRC WINAPI create(HDC dc) {
    if (armed == CREATE_CONTEXT_FAILS) {
        SetLastError(armed_code);
        return nullptr;
    }
    win32_record.legacy = real_create(dc);
    log("create", win32_record.legacy);
    return win32_record.legacy;
}

BOOL WINAPI destroy(HGLRC rc) {
    log("delete", rc);
    BOOL ok = real_delete(rc);
    if (armed != NO_FAULT) SetLastError(error_after_delete);
    return ok;
}

BOOL WINAPI make_current(HDC dc, HGLRC rc) {
    log("current", rc);
    bool legacy = rc && rc == win32_record.legacy;
    bool modern = rc && rc == win32_record.modern;
    if (modern) modern_tried = true;
    if ((armed == FIRST_MAKE_CURRENT_FAILS && legacy) ||
        ((armed == MODERN_NOT_CURRENT || armed == NEITHER_CURRENT) && modern) ||
        (armed == NEITHER_CURRENT && legacy && modern_tried))
        return fail_with(armed_code);
    return real_make_current(dc, rc);
}

HGLRC WINAPI create_attribs(HDC dc, HGLRC share, const int *attribs) {
    win32_record.attribs_share = share;
    for (int i = 0; i < 16; ++i) {
        win32_record.attribs[i] = attribs[i];
        if (!attribs[i]) break;
    }
    if (armed == ATTRIBS_RETURNS_NULL) {
        log("attribs", nullptr);
        return nullptr;
    }
    win32_record.modern = real_attribs(dc, share, attribs);
    log("attribs", win32_record.modern);
    return win32_record.modern;
}

PROC WINAPI wgl_get_proc(LPCSTR name) {
    if (std::strcmp(name, "wglCreateContextAttribsARB")) return real_wgl_get_proc(name);
    if (armed == NO_ATTRIBS_FUNCTION) return nullptr;
    real_attribs = reinterpret_cast<PFNWGLCREATECONTEXTATTRIBSARBPROC>(real_wgl_get_proc(name));
    return real_attribs ? reinterpret_cast<PROC>(create_attribs) : nullptr;
}

// Hands out the wrappers for the four WGL functions the renderer takes from
// opengl32.dll, remembering the real ones.
FARPROC WINAPI get_proc_address(HMODULE module, LPCSTR name) {
    FARPROC real = real_get_proc_address(module, name);
    if (!real || reinterpret_cast<ULONG_PTR>(name) >> 16 == 0) return real;
    struct Wrapper {
        const char *name;
        void **real;
        void *wrapper;
    };
    const Wrapper wrappers[] = {
        {"wglCreateContext", reinterpret_cast<void **>(&real_create),
         reinterpret_cast<void *>(create)},
        {"wglDeleteContext", reinterpret_cast<void **>(&real_delete),
         reinterpret_cast<void *>(destroy)},
        {"wglMakeCurrent", reinterpret_cast<void **>(&real_make_current),
         reinterpret_cast<void *>(make_current)},
        {"wglGetProcAddress", reinterpret_cast<void **>(&real_wgl_get_proc),
         reinterpret_cast<void *>(wgl_get_proc)},
    };
    for (const Wrapper &w : wrappers) {
        if (std::strcmp(name, w.name)) continue;
        *w.real = reinterpret_cast<void *>(real);
        return reinterpret_cast<FARPROC>(w.wrapper);
    }
    return real;
}

template <typename F>
bool redirect(HMODULE m, const char *dll, const char *name, F wrapper, F *real) {
    *real = reinterpret_cast<F>(replace_import(m, dll, name, reinterpret_cast<void *>(wrapper)));
    return *real != nullptr;
}

} // namespace

bool install_win32_interposer(HMODULE renderer) {
    bool ok = redirect(renderer, "GDI32.dll", "ChoosePixelFormat", &choose, &real_choose);
    ok &= redirect(renderer, "GDI32.dll", "SetPixelFormat", &set, &real_set);
    ok &= redirect(renderer, "GDI32.dll", "DescribePixelFormat", &describe, &real_describe);
    ok &= redirect(renderer, "KERNEL32.dll", "GetProcAddress", &get_proc_address,
                   &real_get_proc_address);
    return ok;
}

void arm_win32_fault(Win32Fault fault, DWORD code) {
    armed = fault;
    armed_code = code;
    modern_tried = false;
    win32_record = Win32Record();
}
