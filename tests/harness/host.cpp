#include "host.h"

#include <EGL/eglext.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

HostGl gl;

namespace {
bool gl_loaded;
}

void load_host_gl() {
    if (gl_loaded) return;
#define HOST_GL_LOAD(ret, name, params, args)                                                      \
    gl.name = (ret(APIENTRY *) params)eglGetProcAddress(#name);                                    \
    if (!gl.name) {                                                                                \
        fprintf(stderr, "host GL lacks %s\n", #name);                                              \
        abort();                                                                                   \
    }
    OMBREL_GL_REQUIRED(HOST_GL_LOAD)
    OMBREL_GL_OPTIONAL(HOST_GL_LOAD)
    HOST_GL_EXTRA(HOST_GL_LOAD)
#undef HOST_GL_LOAD
    gl_loaded = true;
}

namespace {

std::string egl_failure(const char *what) {
    char text[96];
    snprintf(text, sizeof text, "%s failed (EGL error 0x%04X)", what, eglGetError());
    return text;
}

struct Version {
    int major, minor;
};

// Where a driver lacks the version asked for, the newest it has down to 3.3,
// the renderer's minimum: Mesa's softpipe, for one, stops at 3.3, and the
// tests must run there too. Below 3.3 a request stays exact, since those
// contexts are made to see the renderer refuse them.
const Version older_versions[] = {{4, 5}, {4, 4}, {4, 3}, {4, 2}, {4, 1}, {4, 0}, {3, 3}};

EGLContext create_context(EGLDisplay display, EGLConfig config, Profile profile, int major,
                          int minor) {
    const EGLint profile_bit = profile == Profile::core
                                   ? EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT
                                   : EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT;
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                 major,
                                 EGL_CONTEXT_MINOR_VERSION,
                                 minor,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 profile_bit,
                                 EGL_NONE};
    return eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
}

} // namespace

GLint get_int(GLenum pname) {
    GLint v = 0;
    gl.glGetIntegerv(pname, &v);
    return v;
}

const char *profile_name(Profile p) {
    return p == Profile::core ? "core" : "compat";
}

void PrintTo(Profile p, std::ostream *out) {
    *out << profile_name(p);
}

std::string host_open(HostContext *h, Profile profile, int major, int minor, int pbuffer_width,
                      int pbuffer_height) {
    auto get_platform_display =
        (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    if (!get_platform_display) return "eglGetPlatformDisplayEXT is missing";
    h->display = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (h->display == EGL_NO_DISPLAY) return egl_failure("eglGetPlatformDisplayEXT");
    if (!eglInitialize(h->display, nullptr, nullptr)) return egl_failure("eglInitialize");
    if (!eglBindAPI(EGL_OPENGL_API)) return egl_failure("eglBindAPI");

    const EGLint config_attributes[] = {EGL_SURFACE_TYPE,
                                        EGL_PBUFFER_BIT,
                                        EGL_RENDERABLE_TYPE,
                                        EGL_OPENGL_BIT,
                                        EGL_RED_SIZE,
                                        8,
                                        EGL_GREEN_SIZE,
                                        8,
                                        EGL_BLUE_SIZE,
                                        8,
                                        EGL_ALPHA_SIZE,
                                        8,
                                        EGL_NONE};
    EGLConfig config;
    EGLint configs = 0;
    if (!eglChooseConfig(h->display, config_attributes, &config, 1, &configs) || configs < 1)
        return egl_failure("eglChooseConfig");

    h->context = create_context(h->display, config, profile, major, minor);
    const int asked = major * 10 + minor;
    for (const Version &v : older_versions)
        if (h->context == EGL_NO_CONTEXT && asked >= 33 && v.major * 10 + v.minor < asked)
            h->context = create_context(h->display, config, profile, v.major, v.minor);
    if (h->context == EGL_NO_CONTEXT) return egl_failure("eglCreateContext");

    if (pbuffer_width > 0) {
        const EGLint surface_attributes[] = {EGL_WIDTH, pbuffer_width, EGL_HEIGHT, pbuffer_height,
                                             EGL_NONE};
        h->surface = eglCreatePbufferSurface(h->display, config, surface_attributes);
        if (h->surface == EGL_NO_SURFACE) return egl_failure("eglCreatePbufferSurface");
    }
    if (!eglMakeCurrent(h->display, h->surface, h->surface, h->context))
        return egl_failure("eglMakeCurrent");
    load_host_gl();
    // A run meant for one Mesa driver must not pass on another one.
    const char *driver = getenv("GALLIUM_DRIVER");
    const char *renderer = (const char *)gl.glGetString(GL_RENDERER);
    if (driver && !strstr(renderer ? renderer : "", driver))
        return std::string("the renderer is ") + (renderer ? renderer : "unnamed") +
               ", not GALLIUM_DRIVER's " + driver;
    return "";
}

int host_version() {
    return get_int(GL_MAJOR_VERSION) * 10 + get_int(GL_MINOR_VERSION);
}

void host_make_current(const HostContext &h) {
    eglMakeCurrent(h.display, h.surface, h.surface, h.context);
}

void host_release(const HostContext &h) {
    eglMakeCurrent(h.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void host_close(HostContext *h) {
    if (h->display == EGL_NO_DISPLAY) return;
    eglMakeCurrent(h->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (h->surface != EGL_NO_SURFACE) eglDestroySurface(h->display, h->surface);
    if (h->context != EGL_NO_CONTEXT) eglDestroyContext(h->display, h->context);
    eglTerminate(h->display);
    *h = HostContext();
}

HostTarget host_target(int width, int height, float r, float g, float b, float a) {
    HostTarget t;
    t.width = width;
    t.height = height;
    GLint texture = get_int(GL_TEXTURE_BINDING_2D);
    GLint draw = get_int(GL_DRAW_FRAMEBUFFER_BINDING);
    GLint unpack = get_int(GL_PIXEL_UNPACK_BUFFER_BINDING);
    gl.glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    gl.glGenTextures(1, &t.texture);
    gl.glBindTexture(GL_TEXTURE_2D, t.texture);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                    nullptr);
    gl.glGenFramebuffers(1, &t.fbo);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, t.fbo);
    gl.glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.texture,
                              0);
    gl.glClearColor(r, g, b, a);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, draw);
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    gl.glBindBuffer(GL_PIXEL_UNPACK_BUFFER, unpack);
    return t;
}

void host_target_delete(HostTarget *t) {
    gl.glDeleteFramebuffers(1, &t->fbo);
    gl.glDeleteTextures(1, &t->texture);
    *t = HostTarget();
}

std::vector<unsigned char> host_read(GLuint fbo, GLenum buffer, int x, int y, int w, int h) {
    std::vector<unsigned char> pixels((size_t)w * h * 4);
    GLint read = get_int(GL_READ_FRAMEBUFFER_BINDING);
    GLint pack = get_int(GL_PIXEL_PACK_BUFFER_BINDING);
    GLint align = get_int(GL_PACK_ALIGNMENT);
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    GLint route = get_int(GL_READ_BUFFER);
    gl.glReadBuffer(buffer);
    gl.glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    gl.glReadBuffer(route);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, align);
    gl.glBindBuffer(GL_PIXEL_PACK_BUFFER, pack);
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, read);
    return pixels;
}

namespace {

GLuint compile(GLenum type, const std::string &source, std::string *log) {
    GLuint s = gl.glCreateShader(type);
    const char *text = source.c_str();
    gl.glShaderSource(s, 1, &text, nullptr);
    gl.glCompileShader(s);
    char buffer[4096];
    GLsizei n = 0;
    gl.glGetShaderInfoLog(s, sizeof buffer, &n, buffer);
    if (log) log->assign(buffer, n);
    return s;
}

std::string link(const std::string &vertex, const std::string &fragment, GLuint *program) {
    GLuint a = compile(GL_VERTEX_SHADER, vertex, nullptr);
    GLuint b = compile(GL_FRAGMENT_SHADER, fragment, nullptr);
    GLuint p = gl.glCreateProgram();
    gl.glAttachShader(p, a);
    gl.glAttachShader(p, b);
    gl.glLinkProgram(p);
    gl.glDeleteShader(a);
    gl.glDeleteShader(b);
    char buffer[4096];
    GLsizei n = 0;
    gl.glGetProgramInfoLog(p, sizeof buffer, &n, buffer);
    *program = p;
    return std::string(buffer, n);
}

} // namespace

std::string host_compile_log(GLenum type, const std::string &source) {
    std::string log;
    gl.glDeleteShader(compile(type, source, &log));
    return log;
}

std::string host_link_log(const std::string &vertex, const std::string &fragment) {
    GLuint p = 0;
    std::string log = link(vertex, fragment, &p);
    gl.glDeleteProgram(p);
    return log;
}

GLuint host_program() {
    const char *vertex = "#version 330 core\n"
                         "void main() { gl_Position = vec4(0.0, 0.0, 0.0, 1.0); }\n";
    const char *fragment = "#version 330 core\n"
                           "out vec4 color;\n"
                           "void main() { color = vec4(1.0); }\n";
    GLuint p = 0;
    link(vertex, fragment, &p);
    GLint ok = 0;
    gl.glGetProgramiv(p, GL_LINK_STATUS, &ok);
    if (!ok) {
        fprintf(stderr, "host program does not link\n");
        abort();
    }
    return p;
}
