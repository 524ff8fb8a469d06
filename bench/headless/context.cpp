#include "context.h"

#include <EGL/eglext.h>
#include <stdio.h>
#include <string.h>

namespace {

bool has_extension(const char *list, const char *name) {
    size_t length = strlen(name);
    for (const char *p = list ? strstr(list, name) : nullptr; p; p = strstr(p + length, name))
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) return true;
    return false;
}

std::string egl_failure(const char *platform, const char *what) {
    char text[128];
    snprintf(text, sizeof text, "%s: %s failed (EGL error 0x%04X)", platform, what, eglGetError());
    return text;
}

// The first single-sampled pbuffer config for desktop GL with exactly 8 bits
// of red, green and blue, the pixels of the window contestants' windows:
// drivers sort deeper colour (10 bits) first, which quantizes differently.
bool choose_config(EGLDisplay display, EGLConfig *config) {
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_PBUFFER_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_NONE};
    EGLConfig configs[256];
    EGLint count = 0;
    if (!eglChooseConfig(display, attributes, configs, 256, &count)) return false;
    for (EGLint i = 0; i < count; ++i) {
        EGLint red = 0, green = 0, blue = 0, samples = 0;
        eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &red);
        eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &green);
        eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &blue);
        eglGetConfigAttrib(display, configs[i], EGL_SAMPLES, &samples);
        if (red == 8 && green == 8 && blue == 8 && samples == 0) {
            *config = configs[i];
            return true;
        }
    }
    return false;
}

// A desktop GL context of version 3.3 or later in the compatibility profile,
// the kind the window binding makes, else in the core profile.
EGLContext create_context(EGLDisplay display, EGLConfig config) {
    for (EGLint profile :
         {EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT}) {
        const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                     3,
                                     EGL_CONTEXT_MINOR_VERSION,
                                     3,
                                     EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                     profile,
                                     EGL_NONE};
        EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
        if (context != EGL_NO_CONTEXT) return context;
    }
    return EGL_NO_CONTEXT;
}

// Initialises `display` and makes a context with a pbuffer current on it.
std::string try_display(Headless *h, EGLDisplay display, const char *platform, int width,
                        int height) {
    h->display = display;
    h->platform = platform;
    if (display == EGL_NO_DISPLAY) return egl_failure(platform, "getting the display");
    if (!eglInitialize(display, nullptr, nullptr)) return egl_failure(platform, "eglInitialize");
    if (!eglBindAPI(EGL_OPENGL_API)) return egl_failure(platform, "eglBindAPI(EGL_OPENGL_API)");
    EGLConfig config;
    if (!choose_config(display, &config))
        return egl_failure(platform, "eglChooseConfig (RGB8 pbuffer, desktop GL)");
    h->context = create_context(display, config);
    if (h->context == EGL_NO_CONTEXT) return egl_failure(platform, "eglCreateContext (GL 3.3)");
    const EGLint surface_attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    h->surface = eglCreatePbufferSurface(display, config, surface_attributes);
    if (h->surface == EGL_NO_SURFACE) return egl_failure(platform, "eglCreatePbufferSurface");
    if (!eglMakeCurrent(display, h->surface, h->surface, h->context))
        return egl_failure(platform, "eglMakeCurrent");
    return "";
}

// Tries a display and releases what it made when it fails; `failures`
// collects the reasons.
bool open_on(Headless *h, EGLDisplay display, const char *platform, int width, int height,
             std::string *failures) {
    std::string failure = try_display(h, display, platform, width, height);
    if (failure.empty()) return true;
    *failures += failure + "\n";
    headless_close(h);
    return false;
}

// The first GPU the device platform offers that takes the context; Mesa's
// software device is left to the surfaceless platform, which gives the same
// rasterizer.
bool open_device(Headless *h, int width, int height, std::string *failures) {
    auto get_display =
        (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    auto query_devices = (PFNEGLQUERYDEVICESEXTPROC)eglGetProcAddress("eglQueryDevicesEXT");
    auto query_string =
        (PFNEGLQUERYDEVICESTRINGEXTPROC)eglGetProcAddress("eglQueryDeviceStringEXT");
    EGLDeviceEXT devices[16];
    EGLint count = 0;
    if (!get_display || !query_devices || !query_string || !query_devices(16, devices, &count))
        return false;
    for (EGLint i = 0; i < count; ++i) {
        if (has_extension(query_string(devices[i], EGL_EXTENSIONS), "EGL_MESA_device_software"))
            continue;
        EGLDisplay display = get_display(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr);
        if (open_on(h, display, "device", width, height, failures)) return true;
    }
    return false;
}

bool open_surfaceless(Headless *h, int width, int height, std::string *failures) {
    auto get_display =
        (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    if (!get_display) return false;
    EGLDisplay display = get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    return open_on(h, display, "surfaceless", width, height, failures);
}

} // namespace

std::string headless_open(Headless *h, int width, int height) {
    const char *client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    std::string failures;
    if (has_extension(client, "EGL_EXT_platform_device") &&
        has_extension(client, "EGL_EXT_device_enumeration") &&
        open_device(h, width, height, &failures))
        return "";
    if (has_extension(client, "EGL_MESA_platform_surfaceless") &&
        open_surfaceless(h, width, height, &failures))
        return "";
    if (open_on(h, eglGetDisplay(EGL_DEFAULT_DISPLAY), "default display", width, height, &failures))
        return "";
    return failures;
}

void headless_close(Headless *h) {
    if (h->display == EGL_NO_DISPLAY) return;
    eglMakeCurrent(h->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (h->surface != EGL_NO_SURFACE) eglDestroySurface(h->display, h->surface);
    if (h->context != EGL_NO_CONTEXT) eglDestroyContext(h->display, h->context);
    eglTerminate(h->display);
    *h = Headless();
}
