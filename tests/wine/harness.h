// Shared pieces of the Windows harness: the canvas window, the JAWT control,
// the shader sources, and helpers that call the renderer and check that the
// JNI environment was left clean.
#ifndef OMBREL_WINE_HARNESS_H
#define OMBREL_WINE_HARNESS_H

#include <windows.h>
#include <jni.h>

#include "fake-jni.h"
#include "jawt-control.h"
#include <jawt_md.h>
#include "renderer-api.h"

#include <string>
#include <vector>

extern "C" __declspec(dllexport) JawtControl ombrel_jawt_control;

// Paths given on the command line.
extern std::wstring renderer_dll_path, jawt_stub_path, shader_dir;

const int canvas_width = 800, canvas_height = 600;

// A new 800x600 window without a pixel format, which the JAWT stub hands out
// from now on; the JAWT control is reset to a working surface.
HWND fresh_canvas();

// The seven sources in their fixed roles, read from the shader directory.
std::vector<std::string> shader_sources();
jobjectArray shader_array();

// Calls open with a new Canvas object on the stub's current window and
// returns the exception it raised as "class: message", or "".
std::string open_renderer(const std::wstring &jawt_path);
std::string open_renderer();

// Closes the renderer and checks that it released every reference and string.
void close_and_check_jni();

// " (GetLastError=0x0000007E)" for 0x7E.
std::string win32_suffix(DWORD code);
std::string ise_message(const std::string &message);

std::string narrow(const std::wstring &w);

#endif
