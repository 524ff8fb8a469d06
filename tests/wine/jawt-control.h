// What the harness and its JAWT stand-in share. The harness executable exports
// one JawtControl under the name "ombrel_jawt_control"; every copy of the stub
// DLL, wherever on disk the renderer loaded it from, looks it up in the main
// module, so a copy at a long path obeys the same settings and reports into
// the same record.
#ifndef OMBREL_WINE_JAWT_CONTROL_H
#define OMBREL_WINE_JAWT_CONTROL_H

#include <windows.h>
#include <jni.h>

enum JawtFault {
    JAWT_WORKS,
    JAWT_REFUSES_VERSION, // JAWT_GetAWT returns false
    JAWT_NO_SURFACE,      // GetDrawingSurface returns null
    JAWT_LOCK_FAILS,      // Lock reports JAWT_LOCK_ERROR
    JAWT_NO_SURFACE_INFO  // GetDrawingSurfaceInfo returns null
};

struct JawtControl {
    // Settings made by the harness.
    HWND window; // the Canvas window the surface reports
    JawtFault fault;
    // What the stub saw, in call order.
    char calls[512];           // e.g. "GetAWT Surface Lock Info FreeInfo Unlock FreeSurface "
    jint requested_version;    // awt->version on entry to JAWT_GetAWT
    jobject surface_target;    // the object handed to GetDrawingSurface
    wchar_t module_path[2048]; // file the stub whose JAWT_GetAWT ran was loaded from
};

#define OMBREL_JAWT_CONTROL_EXPORT "ombrel_jawt_control"

#endif
