// Redirects one import of a loaded module: its import address table slot for
// dll!function is pointed at a replacement. The harness uses it to make the
// renderer's GDI and WGL calls fail on demand, failures a healthy Wine never
// produces by itself.
#ifndef OMBREL_WINE_INTERPOSE_H
#define OMBREL_WINE_INTERPOSE_H

#include <windows.h>

// Returns the address the slot held, or null when the module does not import
// that function from that DLL.
void *replace_import(HMODULE module, const char *dll, const char *function, void *replacement);

#endif
