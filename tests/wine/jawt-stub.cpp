// Stand-in for the JVM's jawt.dll: the AWT native interface for one window
// the harness created. It reads its settings from, and records every call
// into, the JawtControl that the harness executable exports.
// JAWT_GetAWT is defined here, so jawt.h must declare it exported.
#define _JNI_IMPLEMENTATION_
#include <jawt_md.h>

#include "jawt-control.h"

#include <cstring>

static JawtControl *control() {
    return reinterpret_cast<JawtControl *>(
        GetProcAddress(GetModuleHandleW(nullptr), OMBREL_JAWT_CONTROL_EXPORT));
}

static void record(const char *call) {
    JawtControl *c = control();
    size_t used = std::strlen(c->calls);
    size_t add = std::strlen(call);
    if (used + add + 2 > sizeof c->calls) return;
    std::memcpy(c->calls + used, call, add);
    c->calls[used + add] = ' ';
    c->calls[used + add + 1] = 0;
}

static JAWT_Win32DrawingSurfaceInfo win32_info;
static JAWT_DrawingSurfaceInfo surface_info;
static JAWT_DrawingSurface surface;

// Besides the error bit, report the bits a real lock sets on a first lock,
// which the renderer must ignore.
static jint JNICALL lock(JAWT_DrawingSurface *) {
    record("Lock");
    jint changed = JAWT_LOCK_CLIP_CHANGED | JAWT_LOCK_BOUNDS_CHANGED | JAWT_LOCK_SURFACE_CHANGED;
    return control()->fault == JAWT_LOCK_FAILS ? JAWT_LOCK_ERROR | changed : changed;
}

// The device context is an invalid handle: the renderer must take its own.
static JAWT_DrawingSurfaceInfo *JNICALL get_info(JAWT_DrawingSurface *) {
    record("Info");
    if (control()->fault == JAWT_NO_SURFACE_INFO) return nullptr;
    win32_info.hwnd = control()->window;
    win32_info.hdc = reinterpret_cast<HDC>(0xDC00DC00);
    surface_info.platformInfo = &win32_info;
    surface_info.ds = &surface;
    surface_info.bounds = JAWT_Rectangle{0, 0, 800, 600};
    return &surface_info;
}

static void JNICALL free_info(JAWT_DrawingSurfaceInfo *) {
    record("FreeInfo");
}

static void JNICALL unlock(JAWT_DrawingSurface *) {
    record("Unlock");
}

static JAWT_DrawingSurface *JNICALL get_surface(JNIEnv *env, jobject target) {
    record("Surface");
    control()->surface_target = target;
    if (control()->fault == JAWT_NO_SURFACE) return nullptr;
    surface.env = env;
    surface.target = target;
    surface.Lock = lock;
    surface.GetDrawingSurfaceInfo = get_info;
    surface.FreeDrawingSurfaceInfo = free_info;
    surface.Unlock = unlock;
    return &surface;
}

static void JNICALL free_surface(JAWT_DrawingSurface *) {
    record("FreeSurface");
}

extern "C" JNIEXPORT jboolean JNICALL JAWT_GetAWT(JNIEnv *, JAWT *awt) {
    JawtControl *c = control();
    record("GetAWT");
    c->requested_version = awt->version;
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&JAWT_GetAWT), &self);
    GetModuleFileNameW(self, c->module_path, sizeof c->module_path / sizeof *c->module_path);
    if (c->fault == JAWT_REFUSES_VERSION) return JNI_FALSE;
    awt->GetDrawingSurface = get_surface;
    awt->FreeDrawingSurface = free_surface;
    awt->Lock = nullptr;
    awt->Unlock = nullptr;
    awt->GetComponent = nullptr;
    return JNI_TRUE;
}
