// The fifteen exports of ombrel-ui.dll, loaded the way the JVM loads them:
// LoadLibraryW on the file and GetProcAddress on each undecorated name.
#ifndef OMBREL_WINE_RENDERER_API_H
#define OMBREL_WINE_RENDERER_API_H

#include <windows.h>
#include <jni.h>

#include "entry-points.h"

struct RendererApi {
    HMODULE module;
#define OMBREL_API_SLOT(ret, method, params) ret(JNICALL *method) params;
    OMBREL_ENTRY_POINTS(OMBREL_API_SLOT)
#undef OMBREL_API_SLOT
};

// Loads the library and resolves every export; false names what is missing.
bool load_renderer(const wchar_t *path, RendererApi *api);

// The loaded library; tests call through it with the fake environment.
extern RendererApi nr;
// The class argument every entry point receives.
jclass native_gpu_class();

#endif
