// Host GL contexts made with EGL on Mesa, and the host's own GL functions.
// The host functions come from eglGetProcAddress, so the host's calls never
// pass through the call recorder and never appear in its log.
#ifndef OMBREL_TEST_HOST_H
#define OMBREL_TEST_HOST_H

#include "gl-api.h"

#include <EGL/egl.h>
#include <ostream>
#include <string>
#include <vector>

// Functions the tests call on the host side beyond the renderer's own lists.
#define HOST_GL_EXTRA(X)                                                                           \
    X(GLboolean, glIsProgram, (GLuint program), (program))                                         \
    X(GLboolean, glIsShader, (GLuint shader), (shader))                                            \
    X(GLboolean, glIsVertexArray, (GLuint array), (array))                                         \
    X(GLboolean, glIsBuffer, (GLuint buffer), (buffer))                                            \
    X(void, glGenBuffers, (GLsizei n, GLuint * names), (n, names))                                 \
    X(void, glDeleteBuffers, (GLsizei n, const GLuint *names), (n, names))                         \
    X(void, glBufferData, (GLenum target, GLsizeiptr size, const void *data, GLenum usage),        \
      (target, size, data, usage))                                                                 \
    X(void, glGenSamplers, (GLsizei n, GLuint * names), (n, names))                                \
    X(void, glDeleteSamplers, (GLsizei n, const GLuint *names), (n, names))                        \
    X(void, glClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))              \
    X(void, glClear, (GLbitfield mask), (mask))                                                    \
    X(void, glFinish, (void), ())                                                                  \
    X(void, glGetTexParameteriv, (GLenum target, GLenum pname, GLint * params),                    \
      (target, pname, params))                                                                     \
    X(void, glGetUniformiv, (GLuint program, GLint location, GLint * params),                      \
      (program, location, params))                                                                 \
    X(void, glSamplerParameteri, (GLuint sampler, GLenum pname, GLint param),                      \
      (sampler, pname, param))                                                                     \
    X(void, glAlphaFunc, (GLenum func, GLfloat ref), (func, ref))                                  \
    X(void, glGetFloatv, (GLenum pname, GLfloat * params), (pname, params))                        \
    X(void, glBlendColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))              \
    X(void, glDepthFunc, (GLenum func), (func))                                                    \
    X(void, glCullFace, (GLenum mode), (mode))                                                     \
    X(void, glGenRenderbuffers, (GLsizei n, GLuint * names), (n, names))                           \
    X(void, glBindRenderbuffer, (GLenum target, GLuint renderbuffer), (target, renderbuffer))      \
    X(void, glRenderbufferStorageMultisample,                                                      \
      (GLenum target, GLsizei samples, GLenum format, GLsizei width, GLsizei height),              \
      (target, samples, format, width, height))                                                    \
    X(void, glFramebufferRenderbuffer,                                                             \
      (GLenum target, GLenum attachment, GLenum rbtarget, GLuint renderbuffer),                    \
      (target, attachment, rbtarget, renderbuffer))

#define HOST_GL_FIELD(ret, name, params, args) ret(APIENTRY *name) params;

struct HostGl {
    OMBREL_GL_REQUIRED(HOST_GL_FIELD)
    OMBREL_GL_OPTIONAL(HOST_GL_FIELD)
    HOST_GL_EXTRA(HOST_GL_FIELD)
};

// The host's GL functions, filled when the first host context is made or by
// load_host_gl; they call into whatever context is current on the thread.
extern HostGl gl;
void load_host_gl();

// glGetIntegerv of a single value.
GLint get_int(GLenum pname);

enum class Profile { core, compat };

const char *profile_name(Profile p);

// Lets gtest print the profile in the names of parameterised tests.
void PrintTo(Profile p, std::ostream *out);

struct HostContext {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
};

// Makes a context of the given profile and version on Mesa's surfaceless
// platform and makes it current. A version of 3.3 or above is the newest
// wanted: a driver without it gives its own newest, down to 3.3 (softpipe's);
// host_version tells which. Below 3.3 the version is exact. With a pbuffer
// size of 0 there is no default framebuffer; otherwise a pbuffer of that size
// gives one (single-buffered: GL_BACK and GL_FRONT name the same pixels).
// Returns an empty string on success, else what failed.
std::string host_open(HostContext *h, Profile profile, int major, int minor, int pbuffer_width = 0,
                      int pbuffer_height = 0);
// The current context's version as major * 10 + minor, e.g. 45 or 33.
int host_version();
void host_make_current(const HostContext &h);
void host_release(const HostContext &h);
void host_close(HostContext *h);

// An RGBA8 texture of w x h attached as colour attachment 0 of a framebuffer.
struct HostTarget {
    GLuint fbo = 0;
    GLuint texture = 0;
    int width = 0;
    int height = 0;
};

// Creates the target and clears it to the colour; leaves the host's
// bindings as they were.
HostTarget host_target(int width, int height, float r, float g, float b, float a);
void host_target_delete(HostTarget *t);

// Reads w x h RGBA bytes at (x, y) of a framebuffer's colour buffer, rows
// lowest first; leaves the read bindings and pack state as they were.
std::vector<unsigned char> host_read(GLuint fbo, GLenum buffer, int x, int y, int w, int h);

// Compiles one shader / links two sources on the host and returns the info
// log GL gives, to compare with what the renderer reports.
std::string host_compile_log(GLenum type, const std::string &source);
std::string host_link_log(const std::string &vertex, const std::string &fragment);

// A linked program of the host's own, for host states that name a program.
GLuint host_program();

#endif
