// Win32 platform record of the AWT native interface: what a locked drawing
// surface reports about the native window behind an AWT component.
#ifndef _JAVASOFT_JAWT_MD_H_
#define _JAVASOFT_JAWT_MD_H_

#include <windows.h>
#include "jawt.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct jawt_Win32DrawingSurfaceInfo {
    // The window for a heavyweight component; offscreen surfaces use the others.
    union {
        HWND hwnd;
        HBITMAP hbitmap;
        void *pbits;
    };
    // A device context that is valid only while the surface is locked.
    HDC hdc;
    HPALETTE hpalette;
} JAWT_Win32DrawingSurfaceInfo;

#ifdef __cplusplus
}
#endif

#endif
