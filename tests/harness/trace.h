// The renderer's programs and uniform traffic as read back from the call
// log: which program each call addressed and which uniform each location is.
#ifndef OMBREL_TEST_TRACE_H
#define OMBREL_TEST_TRACE_H

#include "gl-api.h"
#include "recorder.h"

#include <string>
#include <vector>

struct RendererPrograms {
    GLuint background = 0, blur = 0, glass = 0, shape = 0, text = 0;
};

// The five programs, from the glCreateProgram calls of a successful attach
// in the log (made in role order).
RendererPrograms programs_from_log();

// "background", "blur", "glass", "shape", "text", or the number.
std::string program_role(const RendererPrograms &p, GLuint program);

// The uniform of `program` at `location`, found by asking the host for the
// location of every name the renderer sets; "-1" for -1.
std::string uniform_name(GLuint program, GLint location);

// The record loop's traffic in the log, one entry per call: "use shape",
// uniform names ("ink"), integer uniforms with their value
// ("shapeClipCount=1"), arrays with their count ("shapeClipRects[0]*1"),
// "bind unit 1" for a 2D texture bound on unit 1, and "draw". It runs from
// the first draw program made current to the last draw.
std::vector<std::string> record_trace(const RendererPrograms &p);

// The uniform calls of the log that set `name` in `program`, in order.
std::vector<const RecCall *> uniform_calls(GLuint program, const char *name);

#endif
