// Instructions per pixel of every record kind: draws each case over a square
// of SIZE x SIZE pixels of an offscreen target, a few times, with one set of
// shader sources, printing each case's name as it goes. The draws callgrind is
// to count happen in ombrel_measured_draws, one call per case, so that
// callgrind's --zero-before and --dump-after write the counts of each case to
// a file of its own, numbered in the order of the names.
//
//   ombrel-shader-cost --shaders DIR --size SIZE
//
// bench/cost/run.sh runs it under callgrind at two sizes on llvmpipe with one
// thread: the difference of a case's totals divided by the difference of the
// pixels drawn is the price of one pixel, start-up, compiling and per-draw work
// cancelling out. Every pixel of the square is inside the record (corners and
// clip edges lie outside it) and opaque in the atlas, so nothing is discarded
// (but in one case that measures a discard): the figure is the price of a
// pixel the record covers.
#define GL_GLEXT_PROTOTYPES
#include <GL/glcorearb.h>

#include "../floor/window.h"

#include <fstream>
#include <sstream>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vector>

constexpr int draws = 4;

// The draws of one case, not inlined so that callgrind finds it by name.
extern "C" __attribute__((noinline)) void ombrel_measured_draws(GLsizei vertices) {
    for (int i = 0; i < draws; ++i)
        glDrawArrays(GL_TRIANGLES, 0, vertices);
    glFinish();
}

namespace {

constexpr int target_size = 512; // the target is always this big, so allocating it costs the same

enum Program { background, shape, text, glass, program_count };

// One case: a program and the uniforms that set it up beyond the common ones.
struct Case {
    const char *name;
    Program program;
    void (*setup)(GLuint program, float size);
};

GLint at(GLuint p, const char *name) {
    return glGetUniformLocation(p, name);
}

void u4(GLuint p, const char *name, float a, float b, float c, float d) {
    glUniform4f(at(p, name), a, b, c, d);
}

// A record whose rectangle reaches 16 units past the square on every side, so
// that its corners and anti-aliased edge lie outside; 1 UI unit = 1 pixel.
void record(GLuint p, float size, int kind, float ink_alpha) {
    glUniform2f(at(p, "view"), size, size);
    u4(p, "rect", -16.0f, -16.0f, size + 32.0f, size + 32.0f);
    glUniform1i(at(p, "kind"), kind);
    u4(p, "ink", 0.9f, 0.5f, 0.2f, ink_alpha);
    u4(p, "cornerRadii", 12.0f, 12.0f, 12.0f, 12.0f);
    u4(p, "cornerHandles", 0.0f, 0.0f, 0.0f, 0.0f);
    u4(p, "extra", 0.0f, 0.0f, 0.0f, 0.0f);
    glUniform1f(at(p, "radius"), 0.0f);
    u4(p, "quality", 0.0f, 0.0f, 0.0f, 0.0f);
    u4(p, "texRect", 0.0f, 0.0f, 1.0f, 1.0f);
    glUniform1i(at(p, "shapeClipCount"), 0);
}

// Two nested clips that hold the whole square, smoothed corners outside it.
void clips(GLuint p, float size) {
    float rects[8] = {-8, -8, size + 16, size + 16, -4, -4, size + 8, size + 8};
    float radii[8] = {10, 10, 10, 10, 6, 6, 6, 6};
    float handles[8] = {0.5f, 0.5f, 0.5f, 0.5f, 0, 0, 0, 0};
    float info[8] = {};
    glUniform1i(at(p, "shapeClipCount"), 2);
    glUniform4fv(at(p, "shapeClipRects[0]"), 2, rects);
    glUniform4fv(at(p, "shapeClipRadii[0]"), 2, radii);
    glUniform4fv(at(p, "shapeClipHandles[0]"), 2, handles);
    glUniform4fv(at(p, "shapeClipInfo[0]"), 2, info);
}

void background_dark(GLuint p, float size) {
    glUniform2f(at(p, "res"), size, size);
    glUniform1f(at(p, "time"), 1.5f);
    glUniform1f(at(p, "grid"), 0.0f);
    glUniform1f(at(p, "palette"), 0.0f);
    u4(p, "backgroundColor", 0.06f, 0.09f, 0.16f, 1.0f);
    u4(p, "backgroundAccent", 0.43f, 0.36f, 0.82f, 1.0f);
}

void background_grid(GLuint p, float size) {
    background_dark(p, size);
    glUniform1f(at(p, "grid"), 1.0f);
    glUniform1f(at(p, "palette"), 1.0f);
}

void fill(GLuint p, float size) {
    record(p, size, 1, 0.8f);
}

void fill_smoothed(GLuint p, float size) {
    fill(p, size);
    u4(p, "cornerHandles", 0.6f, 0.6f, 0.6f, 0.6f);
}

void fill_clips(GLuint p, float size) {
    fill(p, size);
    clips(p, size);
}

void stroke(GLuint p, float size) {
    record(p, size, 3, 0.8f);
    u4(p, "extra", size, 0.5f, 0.0f, 0.0f); // a band wide enough to cover the square
}

// A shadow's quad reaches 2 + 1.5 blur radii past the caster: here it is the
// square, so that its pixels are those of a shadow as drawn, blurred edge and
// inside alike (a knockout's caster too, whose pixels are discarded last).
void soft_shadow(GLuint p, float size) {
    record(p, size, 4, 0.5f);
    float blur = 16.0f, pad = 2.0f + 1.5f * blur;
    glUniform1f(at(p, "radius"), blur);
    u4(p, "rect", pad, pad, size - 2.0f * pad, size - 2.0f * pad);
}

void knockout_shadow(GLuint p, float size) {
    soft_shadow(p, size);
    u4(p, "extra", 0.0f, 0.0f, 1.0f, 0.0f);
}

void glyph(GLuint p, float size) {
    record(p, size, 2, 1.0f);
    u4(p, "cornerRadii", 0.0f, 0.0f, 0.0f, 0.0f);
}

// Every pixel discarded at the first test (what a clear atlas texel does):
// shows what llvmpipe skips after a discard.
void glyph_discarded(GLuint p, float size) {
    glyph(p, size);
    u4(p, "ink", 0.9f, 0.5f, 0.2f, 0.0f);
}

void image_rounded(GLuint p, float size) {
    record(p, size, 2, 0.9f);
    u4(p, "extra", 1.0f, 0.0f, 0.0f, 0.0f);
}

void glyph_clips(GLuint p, float size) {
    glyph(p, size);
    clips(p, size);
}

// Glass.DEFAULT as CommandBuffer writes it, frosted, the pointer on the panel.
void glass_default(GLuint p, float size) {
    record(p, size, 0, 1.0f);
    u4(p, "cornerRadii", 24.0f, 24.0f, 24.0f, 24.0f);
    glUniform1f(at(p, "radius"), 18.0f);
    u4(p, "extra", 160.0f, 1.5f, 0.0f, 0.0f);
    u4(p, "ink", 1.0f, 1.0f, 1.0f, 1.0f);
    u4(p, "optics", 14.0f, 0.12f, 1.0f, 18.0f);
    u4(p, "material", 0.06f, 0.15f, 0.0f, 0.0f);
    u4(p, "pointerv", 0.5f * size, 0.5f * size, 1.0f, 0.0f);
    u4(p, "highlightColor", 1.0f, 1.0f, 1.0f, 0.55f);
    u4(p, "shadowColor", 0.0f, 0.0f, 0.0f, 0.22f);
    u4(p, "quality", 0.0f, 0.0f, 1.0f, 0.0f);
}

void glass_clips(GLuint p, float size) {
    glass_default(p, size);
    clips(p, size);
}

const Case cases[] = {
    {"background", background, background_dark},
    {"background-grid", background, background_grid},
    {"fill", shape, fill},
    {"fill-smoothed", shape, fill_smoothed},
    {"fill-2-clips", shape, fill_clips},
    {"stroke", shape, stroke},
    {"soft-shadow", shape, soft_shadow},
    {"knockout-shadow", shape, knockout_shadow},
    {"glyph", text, glyph},
    {"glyph-discarded", text, glyph_discarded},
    {"image-rounded", text, image_rounded},
    {"glyph-2-clips", text, glyph_clips},
    {"glass", glass, glass_default},
    {"glass-2-clips", glass, glass_clips},
};

std::string read_file(const std::string &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

GLuint link(const std::string &vertex, const std::string &fragment) {
    GLuint program = glCreateProgram();
    for (auto [type, source] :
         {std::pair{GL_VERTEX_SHADER, &vertex}, {GL_FRAGMENT_SHADER, &fragment}}) {
        GLuint shader = glCreateShader(type);
        const char *text = source->c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    return ok ? program : 0;
}

// A target-sized RGBA texture of a fixed, fully opaque pattern.
GLuint pattern_texture() {
    std::vector<unsigned char> rgba((size_t)target_size * target_size * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = (i % 4 == 3) ? 255 : (unsigned char)(i * 37 % 251);
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, target_size, target_size, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba.data());
    return texture;
}

// Draws the case once, which compiles the shader variant, then `draws` times
// in the function callgrind counts.
void run(const Case &c, GLuint program, float size) {
    // The background pass writes opaque pixels without blending, records blend.
    if (c.program == background)
        glDisable(GL_BLEND);
    else
        glEnable(GL_BLEND);
    glUseProgram(program);
    c.setup(program, size);
    GLsizei vertices = c.program == background ? 3 : 6;
    glDrawArrays(GL_TRIANGLES, 0, vertices);
    glFinish();
    printf("%s\n", c.name);
    fflush(stdout);
    ombrel_measured_draws(vertices);
}

} // namespace

int main(int argc, char **argv) {
    std::string dir;
    int size = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--shaders")) dir = argv[i + 1];
        if (!strcmp(argv[i], "--size")) size = atoi(argv[i + 1]);
    }
    if (dir.empty() || size < 1 || size > target_size) {
        fprintf(stderr, "usage: %s --shaders DIR --size SIZE (1 to %d)\n", argv[0], target_size);
        return 2;
    }
    GlWindow window;
    std::string failure = window_open(&window, 16, 16);
    if (!failure.empty()) {
        fprintf(stderr, "ombrel-shader-cost: %s\n", failure.c_str());
        return 1;
    }
    std::string fullscreen = read_file(dir + "/fullscreen.vert"),
                quad = read_file(dir + "/record.vert");
    GLuint programs[program_count] = {link(fullscreen, read_file(dir + "/background.frag")),
                                      link(quad, read_file(dir + "/shape.frag")),
                                      link(quad, read_file(dir + "/text.frag")),
                                      link(quad, read_file(dir + "/glass.frag"))};
    for (GLuint p : programs) {
        if (!p) {
            fprintf(stderr, "ombrel-shader-cost: a program of %s does not link\n", dir.c_str());
            return 1;
        }
    }
    GLuint vao, fbo;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    // The backdrop (glass units 0 and 1) and the atlas (text unit 0) are one
    // opaque pattern; the target is a texture of the same size.
    GLuint backdrop = pattern_texture(), target = pattern_texture();
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, backdrop);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, backdrop);
    glUseProgram(programs[glass]);
    glUniform1i(at(programs[glass], "sharpTex"), 0);
    glUniform1i(at(programs[glass], "blurTex"), 1);
    glUseProgram(programs[text]);
    glUniform1i(at(programs[text], "atlas"), 0);
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    glViewport(0, 0, size, size);
    // As the renderer draws records: premultiplied "over", under a scissor box.
    glBlendFuncSeparate(GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, size, size);
    for (const Case &c : cases)
        run(c, programs[c.program], (float)size);
    GLenum error = glGetError();
    window_close(&window);
    if (error != GL_NO_ERROR) {
        fprintf(stderr, "ombrel-shader-cost: GL error 0x%x\n", error);
        return 1;
    }
    return 0;
}
