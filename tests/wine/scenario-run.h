// Runs the shared rendering scenarios (tests/scenarios) through the loaded
// renderer and compares the pixels with the expected probes.
#ifndef OMBREL_WINE_SCENARIO_RUN_H
#define OMBREL_WINE_SCENARIO_RUN_H

#include <string>

// Renders every scenario into the default framebuffer of the renderer's
// current context and checks its probes; `mode` names the binding in failures.
void check_scenarios(const char *mode);

// Set by --print-probes: instead of checking, print the probes as C
// initialisers and write each picture as <mode>-<scenario>.ppm.
extern bool print_probes;

#endif
