#include "renderer-api.h"

#include "fake-jni.h"

#include <cstdio>

RendererApi nr;

template <typename F> static bool resolve(HMODULE m, const char *method, F *out) {
    char name[128];
    std::snprintf(name, sizeof name, "Java_marlith_sdk_ui_render_NativeGpu_%s", method);
    *out = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(m, name)));
    if (!*out) std::printf("ombrel-ui.dll does not export %s\n", name);
    return *out != nullptr;
}

bool load_renderer(const wchar_t *path, RendererApi *api) {
    api->module = LoadLibraryW(path);
    if (!api->module) {
        std::printf("LoadLibraryW(%ls) failed: %lu\n", path, GetLastError());
        return false;
    }
    HMODULE m = api->module;
    bool ok = true;
#define OMBREL_RESOLVE(ret, method, params) ok &= resolve(m, #method, &api->method);
    OMBREL_ENTRY_POINTS(OMBREL_RESOLVE)
#undef OMBREL_RESOLVE
    return ok;
}

jclass native_gpu_class() {
    static jclass cls = static_cast<jclass>(make_object("java/lang/Class"));
    return cls;
}
