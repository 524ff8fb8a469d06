// ombrel-ui: the native half of the Java UI renderer. This is the single
// compile unit; it holds the process-wide renderer state, the failure rule and
// the GL loader, and includes the rest in dependency order.
//
// The code runs without a C++ runtime: no exceptions, no RTTI, no heap, no
// static constructors. Every entry point runs on the one Java thread on which
// the renderer's GL context is current, so the globals need no locking.
#include <jni.h>
#include <stdint.h>

#ifdef _WIN32
#include <windows.h>
#include <jawt_md.h>
#else
#include <dlfcn.h>
#include <jawt_md.h>
#endif

#include "command-records.h"
#include "entry-points.h"
#include "gl-api.h"
#include "guard.h"
#include "messages.h"
#include "uniforms.h"

#define EXPORT extern "C" JNIEXPORT
#define NATIVE(name) Java_marlith_sdk_ui_render_NativeGpu_##name

static const jint protocol_version = 24164;

// Each definition must match its declaration here: an exported function with
// other parameters is a conflicting declaration of a C function.
#define OMBREL_EXPORT_DECLARATION(ret, name, params) EXPORT ret JNICALL NATIVE(name) params;
OMBREL_ENTRY_POINTS(OMBREL_EXPORT_DECLARATION)
#undef OMBREL_EXPORT_DECLARATION

#define OMBREL_TEXT(name, text) static const char *const msg_##name = text;
OMBREL_MESSAGES(OMBREL_TEXT)

// Renderer state. `opened` is set only as the very last step of a successful
// open or attach; `resources_ready` tells close that GPU objects may exist.
static int opened;
static int resources_ready;
static jobject retained_canvas;

#ifdef _WIN32
typedef PROC(WINAPI *wgl_get_proc_address_fn)(LPCSTR);
static HMODULE gl_lib;
static wgl_get_proc_address_fn wglGetProcAddress_;
#else
typedef void (*(*glx_get_proc_address_fn)(const GLubyte *))(void);
static void *gl_lib;
static glx_get_proc_address_fn glXGetProcAddress_;
#endif

#define OMBREL_DECLARE(ret, name, params, args) static ret(APIENTRY *name##_) params;
OMBREL_GL_REQUIRED(OMBREL_DECLARE)
#undef OMBREL_DECLARE

// Optional functions: null where the driver lacks them. glDrawBuffers is
// looked up once at load; the indexed blend pointers take the core or the
// ARB-suffixed functions, whose types are the same.
#define OMBREL_OPTIONAL_TYPE(ret, name, params, args) typedef ret(APIENTRY *name##_fn) params;
OMBREL_GL_OPTIONAL(OMBREL_OPTIONAL_TYPE)
#undef OMBREL_OPTIONAL_TYPE
static glDrawBuffers_fn glDrawBuffers_;

// Raises IllegalStateException unless an exception is already pending, in
// which case that one is what Java sees.
static void fail(JNIEnv *e, const char *msg) {
    if (e->ExceptionCheck()) return;
    jclass c = e->FindClass("java/lang/IllegalStateException");
    if (!c) return;
    e->ThrowNew(c, msg);
    e->DeleteLocalRef(c);
}

// Copies `src` to `dst` and returns the position after it; the caller sizes
// `dst` for the longest text it composes.
static char *append(char *dst, const char *src) {
    while (*src)
        *dst++ = *src++;
    *dst = 0;
    return dst;
}

static bool equal_text(const char *a, const char *b) {
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}

#ifdef _WIN32
OMBREL_WGL_MESSAGES(OMBREL_TEXT)
OMBREL_WGL_CODED_MESSAGES(OMBREL_TEXT)

// Win32 failures carry the GetLastError code, composed in a process-wide
// buffer: at most 110 bytes of the message, then " (GetLastError=0xXXXXXXXX)".
static char win32_message[160];

static void fail_win32(JNIEnv *e, const char *msg) {
    DWORD code = GetLastError();
    char *p = win32_message;
    for (int i = 0; i < 110 && msg[i]; ++i)
        *p++ = msg[i];
    p = append(p, " (GetLastError=0x");
    for (int shift = 28; shift >= 0; shift -= 4)
        *p++ = "0123456789ABCDEF"[(code >> shift) & 15];
    append(p, ")");
    fail(e, win32_message);
}

// GetProcAddress hands out a generic function pointer; passing it on as
// void * lets callers cast it to the type the function really has.
static void *symbol(HMODULE module, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(module, name));
}

// wglGetProcAddress answers only for extension functions of the current
// context and may return small sentinel values; opengl32.dll exports the rest.
static void *proc(const char *name) {
    INT_PTR p = wglGetProcAddress_ ? (INT_PTR)wglGetProcAddress_(name) : 0;
    if (p == 0 || p == 1 || p == 2 || p == 3 || p == -1) p = (INT_PTR)symbol(gl_lib, name);
    return (void *)p;
}
#else
OMBREL_GLX_MESSAGES(OMBREL_TEXT)

static void *proc(const char *name) {
    void *p = dlsym(gl_lib, name);
    if (p) return p;
    return glXGetProcAddress_ ? (void *)glXGetProcAddress_((const GLubyte *)name) : nullptr;
}
#endif

static int missing_entry_point(JNIEnv *e, const char *name) {
    char msg[96];
    append(append(msg, msg_missing_entry_point), name);
    fail(e, msg);
    return 0;
}

// Defined with the state guard, which it serves.
static void find_indexed_blend();

// Resolves the required GL functions in list order, stopping at the first
// missing one, then demands OpenGL 3.3 or later. The optional indexed blend
// calls are looked up here too, before any host state is saved, so that a
// start-up that fails later still puts back only draw buffer 0's blend state.
static int load_gl(JNIEnv *e) {
#define OMBREL_LOAD(ret, name, params, args)                                                       \
    name##_ = reinterpret_cast<ret(APIENTRY *) params>(proc(#name));                               \
    if (!name##_) return missing_entry_point(e, #name);
    OMBREL_GL_REQUIRED(OMBREL_LOAD)
#undef OMBREL_LOAD
    GLint major = 0, minor = 0;
    glGetIntegerv_(GL_MAJOR_VERSION, &major);
    glGetIntegerv_(GL_MINOR_VERSION, &minor);
    if (major < 3 || (major == 3 && minor < 3)) {
        fail(e, msg_old_driver);
        return 0;
    }
    glDrawBuffers_ = reinterpret_cast<glDrawBuffers_fn>(proc("glDrawBuffers"));
    find_indexed_blend();
    return 1;
}

// Defined further down; the window binding needs them to start up and to
// release what a failed open left behind.
static int init_resources(JNIEnv *e, jobjectArray source);
static void release_all(JNIEnv *e);

#include "platform-open.inc"
#include "gpu.inc"
#include "commands.inc"
#include "platform-close.inc"
