#include "trace.h"

#include "host.h"
#include "renderer.h"
#include "uniforms.h"

namespace {

// Every name the renderer looks up; a sampler is named again after its program's
// uniforms.
#define UNIFORM_NAME(field, name) name,
#define SAMPLER_NAME(program, name, unit) name,
const char *const uniform_names[] = {OMBREL_DRAW_UNIFORMS(UNIFORM_NAME) OMBREL_BACKGROUND_UNIFORMS(
    UNIFORM_NAME) OMBREL_BLUR_UNIFORMS(UNIFORM_NAME) OMBREL_SAMPLERS(SAMPLER_NAME)};
#undef UNIFORM_NAME
#undef SAMPLER_NAME

bool is_uniform_call(const std::string &name) {
    return name.rfind("glUniform", 0) == 0;
}

} // namespace

RendererPrograms programs_from_log() {
    std::vector<const RecCall *> made = rec_calls("glCreateProgram");
    RendererPrograms p;
    if (made.size() != 5) return p;
    p.background = (GLuint)made[0]->ret;
    p.blur = (GLuint)made[1]->ret;
    p.glass = (GLuint)made[2]->ret;
    p.shape = (GLuint)made[3]->ret;
    p.text = (GLuint)made[4]->ret;
    return p;
}

std::string program_role(const RendererPrograms &p, GLuint program) {
    if (program == p.background) return "background";
    if (program == p.blur) return "blur";
    if (program == p.glass) return "glass";
    if (program == p.shape) return "shape";
    if (program == p.text) return "text";
    return std::to_string(program);
}

std::string uniform_name(GLuint program, GLint location) {
    if (location == -1) return "-1";
    for (const char *name : uniform_names)
        if (gl.glGetUniformLocation(program, name) == location) return name;
    return "location " + std::to_string(location);
}

std::vector<std::string> record_trace(const RendererPrograms &p) {
    std::vector<std::string> trace;
    GLuint program = 0;
    long long unit = 0;
    size_t last_draw = 0;
    for (const RecCall *c : rec_calls()) {
        std::string name = c->name;
        if (name == "glUseProgram") {
            program = (GLuint)c->i[0];
            GLuint q = program;
            if (q == p.glass || q == p.shape || q == p.text || !trace.empty())
                trace.push_back("use " + program_role(p, q));
        } else if (trace.empty()) {
            continue;
        } else if (name == "glActiveTexture") {
            unit = c->i[0] - GL_TEXTURE0;
        } else if (name == "glBindTexture" && c->i[0] == GL_TEXTURE_2D) {
            trace.push_back("bind unit " + std::to_string(unit));
        } else if (name == "glDrawArrays") {
            trace.push_back("draw");
            last_draw = trace.size();
        } else if (is_uniform_call(name)) {
            std::string u = uniform_name(program, (GLint)c->i[0]);
            if (name == "glUniform1i") u += "=" + std::to_string(c->i[1]);
            if (name == "glUniform4fv") u += "*" + std::to_string(c->i[1]);
            trace.push_back(u);
        }
    }
    trace.resize(last_draw);
    return trace;
}

std::vector<const RecCall *> uniform_calls(GLuint program, const char *name) {
    std::vector<const RecCall *> found;
    GLuint current = 0;
    for (const RecCall *c : rec_calls()) {
        std::string call = c->name;
        if (call == "glUseProgram")
            current = (GLuint)c->i[0];
        else if (current == program && is_uniform_call(call) &&
                 uniform_name(program, (GLint)c->i[0]) == name)
            found.push_back(c);
    }
    return found;
}
