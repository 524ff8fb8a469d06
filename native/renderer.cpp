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

#define OMBREL_OPTIONAL_TYPE(ret, name, params, args) typedef ret(APIENTRY *name##_fn) params;
OMBREL_GL_OPTIONAL(OMBREL_OPTIONAL_TYPE)
#undef OMBREL_OPTIONAL_TYPE

typedef jboolean(JNICALL *jawt_get_awt_fn)(JNIEnv *, JAWT *);

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

// How Windows and Linux differ, selected once: the GL and JAWT libraries, the
// window's handles (`Binding`), and starting, presenting and closing a context.
#ifdef _WIN32
#include "platform-win32.inc"
#else
#include "platform-x11.inc"
#endif

// GL entry points: resolved by load_gl, kept across close (the GL library is
// never unloaded). glDrawBuffers is optional and looked up once at load.
#define OMBREL_DECLARE(ret, name, params, args) static ret(APIENTRY *name##_) params;
OMBREL_GL_REQUIRED(OMBREL_DECLARE)
#undef OMBREL_DECLARE
static glDrawBuffers_fn glDrawBuffers_;

// Uniform locations of one draw program (glass, shape or text). Every field
// is looked up in all three programs; a uniform a program lacks is -1, which
// GL ignores when set.
#define OMBREL_FIELD(field, name) GLint field;
struct Uniforms {
    OMBREL_DRAW_UNIFORMS(OMBREL_FIELD)
};
struct BackgroundUniforms {
    OMBREL_BACKGROUND_UNIFORMS(OMBREL_FIELD)
};
struct BlurUniforms {
    OMBREL_BLUR_UNIFORMS(OMBREL_FIELD)
};
#undef OMBREL_FIELD

// The renderer's state, X(type, name), all zero while nothing is open.
// `opened` is set only as the very last step of a successful open or attach;
// `resources_ready` tells close that GPU objects may exist. `context` is the
// GL context the renderer draws with: its own on a window, the host's one
// current at attach; its GPU objects live there and nowhere else.
// `context_query` is the call (GLX, EGL or WGL) that tells it. The limits
// are the context's, read once at start-up. The indexed blend calls are null
// where the context lacks them; with them the renderer changes draw buffer
// 0's blending only, without them the plain calls change all.
#define OMBREL_RENDERER_STATE(X)                                                                   \
    X(int, opened)                                                                                 \
    X(int, resources_ready)                                                                        \
    X(void *, context)                                                                             \
    X(context_query_fn, context_query)                                                             \
    X(GLint, max_width)                                                                            \
    X(GLint, max_height)                                                                           \
    X(GLint, max_color_attachments)                                                                \
    X(jobject, retained_canvas)                                                                    \
    X(GLuint, program_bg)                                                                          \
    X(GLuint, program_blur)                                                                        \
    X(GLuint, program_glass)                                                                       \
    X(GLuint, program_shape)                                                                       \
    X(GLuint, program_text)                                                                        \
    X(GLuint, vao)                                                                                 \
    X(GLuint, scene_tex)                                                                           \
    X(GLuint, blur_a_tex)                                                                          \
    X(GLuint, blur_b_tex)                                                                          \
    X(GLuint, scene_fbo)                                                                           \
    X(GLuint, blur_a_fbo)                                                                          \
    X(GLuint, blur_b_fbo)                                                                          \
    X(int, tex_w)                                                                                  \
    X(int, tex_h)                                                                                  \
    X(int, blur_w)                                                                                 \
    X(int, blur_h)                                                                                 \
    X(glBlendFuncSeparatei_fn, blendFuncIndexed)                                                   \
    X(glBlendEquationSeparatei_fn, blendEquationIndexed)

// Besides the list: the window's handles, which close_window clears, and the
// uniform locations, which every start-up looks up before they are used.
struct Renderer {
#define OMBREL_FIELD(type, name) type name;
    OMBREL_RENDERER_STATE(OMBREL_FIELD)
#undef OMBREL_FIELD
    Binding binding;
    Uniforms ug, us, ut;
    BackgroundUniforms bg;
    BlurUniforms bl;
};

static Renderer renderer;

// Field by field: the Windows library has no C runtime for a struct copy.
static void reset_renderer() {
#define OMBREL_RESET(type, name) renderer.name = 0;
    OMBREL_RENDERER_STATE(OMBREL_RESET)
#undef OMBREL_RESET
}

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
    GLint dims[2] = {0, 0};
    glGetIntegerv_(GL_MAX_VIEWPORT_DIMS, dims);
    renderer.max_width = dims[0];
    renderer.max_height = dims[1];
    glGetIntegerv_(GL_MAX_COLOR_ATTACHMENTS, &renderer.max_color_attachments);
    glDrawBuffers_ = reinterpret_cast<glDrawBuffers_fn>(proc("glDrawBuffers"));
    find_indexed_blend();
    return 1;
}

// Whether the renderer's context is current on the calling thread. Every
// entry point that would call GL asks first and, when it is not, raises
// without a GL call: in another context the renderer's names are the host's
// objects, and GL calls there would change or delete them.
static bool context_current(JNIEnv *e) {
    if (renderer.context_query && renderer.context_query() == renderer.context) return true;
    fail(e, msg_wrong_context);
    return false;
}

// Defined further down; the window binding needs them to start up and to
// release what a failed open left behind.
static int init_resources(JNIEnv *e, jobjectArray source);
static int release_all(JNIEnv *e);

#include "platform-open.inc"
#include "gpu.inc"
#include "commands.inc"
#include "platform-close.inc"
