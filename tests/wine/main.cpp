// Windows harness for ombrel-ui.dll, run under Wine.
// Usage: wine-harness.exe ombrel-ui.dll jawt-stub.dll shader-dir [name-filter]
//        wine-harness.exe ombrel-ui.dll jawt-stub.dll shader-dir --print-probes
// The second form regenerates the expected pixels of tests/scenarios after a
// deliberate change of the pictures: it prints the probes as C initialisers
// and writes every scenario picture as a PPM file to look at.
#include "check.h"
#include "harness.h"
#include "scenario-run.h"
#include "win32-faults.h"

#include <cstdio>
#include <string>

static std::wstring full_path(const wchar_t *path) {
    wchar_t full[4096];
    DWORD n = GetFullPathNameW(path, 4096, full, nullptr);
    return std::wstring(full, n);
}

int wmain(int argc, wchar_t **argv) {
    if (argc < 4 || argc > 5) {
        std::printf("usage: wine-harness.exe ombrel-ui.dll jawt-stub.dll shader-dir [filter]\n");
        return 2;
    }
    renderer_dll_path = full_path(argv[1]);
    jawt_stub_path = full_path(argv[2]);
    shader_dir = full_path(argv[3]);
    if (!load_renderer(renderer_dll_path.c_str(), &nr)) return 2;
    if (!install_win32_interposer(nr.module)) {
        std::printf("ombrel-ui.dll does not import the GDI and KERNEL32 functions expected\n");
        return 2;
    }
    std::string filter = argc == 5 ? narrow(argv[4]) : std::string();
    if (filter == "--print-probes") {
        print_probes = true;
        filter = "scenarios";
    }
    return run_tests(argc == 5 ? filter.c_str() : nullptr) ? 1 : 0;
}
