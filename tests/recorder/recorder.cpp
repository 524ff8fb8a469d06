// GL call recorder: a stand-in for libGL.so.1 that forwards every call to the
// real Mesa/glvnd library and logs it. Loaded by a test before the renderer
// opens "libGL.so.1", so the renderer's dlopen finds this library by soname.
//
// Two builds come from this file:
// - lookup (default): the gl* wrappers are not exported; the renderer reaches
//   them only through glXGetProcAddressARB, which returns a wrapper, refuses
//   hidden names and refuses gl* names that have no wrapper, so no call can
//   slip past the log.
// - REC_DIRECT: the gl* wrappers are exported under their GL names and there is
//   no glXGetProcAddressARB, like a GL library that offers only dlsym.
// Both export the four GLX calls of the window binding and
// glXGetCurrentContext.
#include "gl-api.h"
#include "recorder.h"

#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <type_traits>

#define REC_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

const char real_gl_path[] = "/usr/lib/x86_64-linux-gnu/libGL.so.1";
constexpr long log_capacity = 1L << 16;
constexpr int hidden_capacity = 64;

RecCall calls[log_capacity];
RecCall overflow_slot;
long call_count;
int overflowed;
char hidden[hidden_capacity][REC_MAX_TEXT];
int hidden_count;
__thread int driver_depth;

void *real_lib;
void *(*real_lookup)(const unsigned char *);

void *real_symbol(const char *name) {
    if (!real_lib) {
        real_lib = dlopen(real_gl_path, RTLD_NOW | RTLD_LOCAL);
        if (!real_lib) {
            fprintf(stderr, "gl recorder: cannot load %s: %s\n", real_gl_path, dlerror());
            abort();
        }
        real_lookup = (void *(*)(const unsigned char *))dlsym(real_lib, "glXGetProcAddressARB");
    }
    void *p = dlsym(real_lib, name);
    if (!p && real_lookup) p = real_lookup((const unsigned char *)name);
    return p;
}

RecCall *begin_call(const char *name) {
    RecCall *c = &overflow_slot;
    if (call_count < log_capacity)
        c = &calls[call_count++];
    else
        overflowed = 1;
    memset(c, 0, sizeof *c);
    c->name = name;
    return c;
}

void copy_text(RecCall *c, const char *text) {
    if (text) snprintf(c->text, sizeof c->text, "%s", text);
}

template <typename T> void put_arg(RecCall *c, T v) {
    if (c->argc >= REC_MAX_ARGS) return;
    int k = c->argc++;
    if constexpr (std::is_floating_point_v<T>) {
        c->f[k] = (float)v;
    } else if constexpr (std::is_pointer_v<T>) {
        c->i[k] = (long long)(uintptr_t)v;
    } else {
        c->i[k] = (long long)v;
        c->f[k] = (float)v;
    }
}

template <typename T> void put_result(RecCall *c, T v) {
    if constexpr (std::is_pointer_v<T>)
        c->ret = (long long)(uintptr_t)v;
    else
        c->ret = (long long)v;
}

// Array and string arguments worth keeping, chosen by parameter types. The
// catch-all keeps nothing.
template <typename... A> void capture(RecCall *, A...) {}

void capture_names(RecCall *c, GLsizei n, const GLuint *names) {
    if (!names) return;
    for (GLsizei k = 0; k < n && k < REC_MAX_DATA; k++)
        c->data_u[c->data_count++] = names[k];
}

// glGen*, glDelete* and glDrawBuffers.
void capture(RecCall *c, GLsizei n, const GLuint *names) {
    capture_names(c, n, names);
}
void capture(RecCall *c, GLsizei n, GLuint *names) {
    capture_names(c, n, names);
}

// glUniform4fv.
void capture(RecCall *c, GLint, GLsizei count, const GLfloat *v) {
    if (!v) return;
    for (GLsizei k = 0; k < count * 4 && k < REC_MAX_DATA; k++)
        c->data_f[c->data_count++] = v[k];
}

// glGetUniformLocation.
void capture(RecCall *c, GLuint, const GLchar *name) {
    copy_text(c, name);
}

template <typename F> struct Invoker;

// Logs the call with its arguments, then forwards it. The driver depth lets
// an allocation counter tell the driver's own allocations from the caller's.
template <typename R, typename... P> struct Invoker<R (*)(P...)> {
    const char *name;
    R (*fn)(P...);

    R operator()(P... a) const {
        RecCall *c = begin_call(name);
        (put_arg(c, a), ...);
        if (!fn) {
            fprintf(stderr, "gl recorder: the real library lacks %s\n", name);
            abort();
        }
        driver_depth++;
        if constexpr (std::is_void_v<R>) {
            fn(a...);
            driver_depth--;
            capture(c, a...);
        } else {
            R r = fn(a...);
            driver_depth--;
            put_result(c, r);
            capture(c, a...);
            return r;
        }
    }
};

} // namespace

#ifdef REC_DIRECT
#define REC_NAME(name) name
#define REC_LINKAGE REC_EXPORT
#else
#define REC_NAME(name) wrap_##name
#define REC_LINKAGE static
#endif

#define REC_DEFINE(ret, name, params, args)                                                        \
    static ret(APIENTRY *real_##name) params;                                                      \
    REC_LINKAGE ret APIENTRY REC_NAME(name) params {                                               \
        if (!real_##name) real_##name = (ret(APIENTRY *) params)real_symbol(#name);                \
        return Invoker<ret(APIENTRY *) params>{#name, real_##name} args;                           \
    }

OMBREL_GL_REQUIRED(REC_DEFINE)
OMBREL_GL_OPTIONAL(REC_DEFINE)

// The GLX calls of the window binding, with X types as plain pointers and
// integers of the same size.
#define REC_GLX(X)                                                                                 \
    X(void *, glXCreateContext, (void *dpy, void *vis, void *share, int direct),                   \
      (dpy, vis, share, direct))                                                                   \
    X(void, glXDestroyContext, (void *dpy, void *ctx), (dpy, ctx))                                 \
    X(int, glXMakeCurrent, (void *dpy, unsigned long drawable, void *ctx), (dpy, drawable, ctx))   \
    X(void, glXSwapBuffers, (void *dpy, unsigned long drawable), (dpy, drawable))

#define REC_DEFINE_GLX(ret, name, params, args)                                                    \
    static ret(*real_##name) params;                                                               \
    REC_EXPORT ret name params {                                                                   \
        if (!real_##name) real_##name = (ret(*) params)real_symbol(#name);                         \
        return Invoker<ret(*) params>{#name, real_##name} args;                                    \
    }

REC_GLX(REC_DEFINE_GLX)

// The query of the current context that every entry point makes is passed
// through unlogged: it is no GL call, and the log is the GL traffic.
REC_EXPORT void *glXGetCurrentContext(void) {
    static void *(*real)(void);
    if (!real) real = (void *(*)(void))real_symbol("glXGetCurrentContext");
    return real ? real() : nullptr;
}

#ifndef REC_DIRECT

namespace {

struct Wrapped {
    const char *name;
    void *wrapper;
};

#define REC_TABLE_GL(ret, name, params, args) {#name, (void *)&REC_NAME(name)},
#define REC_TABLE_GLX(ret, name, params, args) {#name, (void *)&name},

const Wrapped wrapped[] = {OMBREL_GL_REQUIRED(REC_TABLE_GL) OMBREL_GL_OPTIONAL(REC_TABLE_GL)
                               REC_GLX(REC_TABLE_GLX)};

bool is_hidden(const char *name) {
    for (int k = 0; k < hidden_count; k++)
        if (strcmp(hidden[k], name) == 0) return true;
    return false;
}

// A wrapper is handed out only when the real library has the function, so a
// name the driver lacks still looks missing.
void *lookup(const char *name) {
    if (is_hidden(name)) return nullptr;
    for (const Wrapped &w : wrapped)
        if (strcmp(w.name, name) == 0) return real_symbol(name) ? w.wrapper : nullptr;
    if (strncmp(name, "glX", 3) == 0) return real_symbol(name);
    return nullptr;
}

} // namespace

REC_EXPORT void *glXGetProcAddressARB(const unsigned char *name) {
    RecCall *c = begin_call("glXGetProcAddressARB");
    copy_text(c, (const char *)name);
    void *p = name ? lookup((const char *)name) : nullptr;
    put_result(c, p);
    return p;
}

#endif

REC_EXPORT void rec_clear(void) {
    call_count = 0;
    overflowed = 0;
}

REC_EXPORT long rec_count(void) {
    return call_count;
}

REC_EXPORT const RecCall *rec_call(long index) {
    return index >= 0 && index < call_count ? &calls[index] : nullptr;
}

REC_EXPORT int rec_overflowed(void) {
    return overflowed;
}

REC_EXPORT void rec_hide(const char *name) {
    if (hidden_count < hidden_capacity) snprintf(hidden[hidden_count++], REC_MAX_TEXT, "%s", name);
}

REC_EXPORT void rec_unhide_all(void) {
    hidden_count = 0;
}

REC_EXPORT int *rec_driver_depth(void) {
    return &driver_depth;
}
