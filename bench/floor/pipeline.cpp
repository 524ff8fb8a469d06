#include "pipeline.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

const char *const stage_names[stage_count] = {"background", "copy",   "downsample", "blur_h",
                                              "blur_v",     "shapes", "glass"};

namespace {

// Slots of the record fields the scene uses; docs/command-records.md has
// the full table.
constexpr float edge = 2.0f;

void put_rect(Record *r, int kind, const scene::Rect &q) {
    r->s[0] = (float)kind;
    r->s[1] = q.x, r->s[2] = q.y, r->s[3] = q.w, r->s[4] = q.h;
    r->s[6] = (float)((q.argb >> 16) & 255) / 255.0f;
    r->s[7] = (float)((q.argb >> 8) & 255) / 255.0f;
    r->s[8] = (float)(q.argb & 255) / 255.0f;
    r->s[9] = (float)(q.argb >> 24) / 255.0f;
    r->s[18] = q.x - edge, r->s[19] = q.y - edge;
    r->s[20] = q.w + 2.0f * edge, r->s[21] = q.h + 2.0f * edge;
    for (int i = 28; i < 32; ++i)
        r->s[i] = q.radius;
}

std::string read_file(const std::string &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

GLuint compile(GLenum type, const std::string &source, std::string *error) {
    GLuint shader = glCreateShader(type);
    const char *text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
    *error += log;
    return shader;
}

GLuint link(const std::string &vertex, const std::string &fragment, std::string *error) {
    GLuint program = glCreateProgram();
    GLuint v = compile(GL_VERTEX_SHADER, vertex, error);
    GLuint f = compile(GL_FRAGMENT_SHADER, fragment, error);
    glAttachShader(program, v);
    glAttachShader(program, f);
    glLinkProgram(program);
    glDeleteShader(v);
    glDeleteShader(f);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) *error += "link failed\n";
    return program;
}

void configure(GLuint texture, GLuint fbo, int w, int h) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
}

float channel(int color, int shift) {
    return (float)((color >> shift) & 255) / 255.0f;
}

// Waits for the GPU and returns the milliseconds since `start`, restarting it.
double lap(std::chrono::steady_clock::time_point *start) {
    glFinish();
    auto now = std::chrono::steady_clock::now();
    double ms = std::chrono::duration<double, std::milli>(now - *start).count();
    *start = now;
    return ms;
}

} // namespace

Record fill_record(const scene::Rect &q) {
    Record r;
    put_rect(&r, 1, q);
    return r;
}

Record glass_record(const scene::Rect &q) {
    Record r;
    put_rect(&r, 0, q);
    r.s[22] = 1.0f; // frost
    r.s[45] = 1.0f; // dither
    return r;
}

std::string Pipeline::init(const std::string &dir) {
    std::string fullscreen = read_file(dir + "/fullscreen.vert");
    std::string record = read_file(dir + "/record.vert");
    std::string error;
    program_bg = link(fullscreen, read_file(dir + "/background.frag"), &error);
    program_blur = link(fullscreen, read_file(dir + "/blur.frag"), &error);
    program_glass = link(record, read_file(dir + "/glass.frag"), &error);
    program_shape = link(record, read_file(dir + "/shape.frag"), &error);
    // The scene has no text; the program is built so that a text source
    // that does not compile fails here as it would in the renderer.
    program_text = link(record, read_file(dir + "/text.frag"), &error);
    if (!error.empty()) return error;
    bg_res = glGetUniformLocation(program_bg, "res");
    bg_time = glGetUniformLocation(program_bg, "time");
    bg_grid = glGetUniformLocation(program_bg, "grid");
    bg_palette = glGetUniformLocation(program_bg, "palette");
    bg_color = glGetUniformLocation(program_bg, "backgroundColor");
    bg_accent = glGetUniformLocation(program_bg, "backgroundAccent");
    bl_step = glGetUniformLocation(program_blur, "stepv");
    bl_sigma = glGetUniformLocation(program_blur, "sigma");
    glUseProgram(program_blur);
    glUniform1i(glGetUniformLocation(program_blur, "src"), 0);
    glUseProgram(program_glass);
    glUniform1i(glGetUniformLocation(program_glass, "sharpTex"), 0);
    glUniform1i(glGetUniformLocation(program_glass, "blurTex"), 1);
    for (auto [program, l] : {std::pair{program_glass, &glass}, std::pair{program_shape, &shape}}) {
        l->rect = glGetUniformLocation(program, "rect");
        l->view = glGetUniformLocation(program, "view");
        l->kind = glGetUniformLocation(program, "kind");
        l->extra = glGetUniformLocation(program, "extra");
        l->radius = glGetUniformLocation(program, "radius");
        l->ink = glGetUniformLocation(program, "ink");
        l->optics = glGetUniformLocation(program, "optics");
        l->material = glGetUniformLocation(program, "material");
        l->pointer = glGetUniformLocation(program, "pointerv");
        l->corners = glGetUniformLocation(program, "cornerRadii");
        l->handles = glGetUniformLocation(program, "cornerHandles");
        l->quality = glGetUniformLocation(program, "quality");
        l->highlight = glGetUniformLocation(program, "highlightColor");
        l->shadow = glGetUniformLocation(program, "shadowColor");
        l->clip_count = glGetUniformLocation(program, "shapeClipCount");
    }
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenTextures(1, &scene_tex);
    glGenTextures(1, &blur_a_tex);
    glGenTextures(1, &blur_b_tex);
    glGenFramebuffers(1, &scene_fbo);
    glGenFramebuffers(1, &blur_a_fbo);
    glGenFramebuffers(1, &blur_b_fbo);
    return "";
}

void Pipeline::background(int width, int height, float time) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glViewport(0, 0, width, height);
    glUseProgram(program_bg);
    glUniform2f(bg_res, (float)width, (float)height);
    glUniform1f(bg_time, time);
    glUniform1f(bg_grid, 0.0f);
    glUniform1f(bg_palette, 0.0f);
    int bg = scene::background_color, accent = scene::accent_color;
    glUniform4f(bg_color, channel(bg, 16), channel(bg, 8), channel(bg, 0), 1.0f);
    glUniform4f(bg_accent, channel(accent, 16), channel(accent, 8), channel(accent, 0), 1.0f);
    glDrawArrays(GL_TRIANGLES, 0, 3);
}

void Pipeline::resize(int width, int height) {
    if (width == tex_w && height == tex_h) return;
    glActiveTexture(GL_TEXTURE0);
    blur_w = (width + 1) / 2;
    blur_h = (height + 1) / 2;
    configure(scene_tex, scene_fbo, width, height);
    configure(blur_a_tex, blur_a_fbo, blur_w, blur_h);
    configure(blur_b_tex, blur_b_fbo, blur_w, blur_h);
    tex_w = width;
    tex_h = height;
}

void Pipeline::blur_pass(GLuint input, GLuint fbo, float dx, float dy, float sigma) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo);
    glViewport(0, 0, blur_w, blur_h);
    glBindTexture(GL_TEXTURE_2D, input);
    glUniform2f(bl_step, dx, dy);
    glUniform1f(bl_sigma, sigma);
    glDrawArrays(GL_TRIANGLES, 0, 3);
}

void Pipeline::capture(int w, int h, float sigma, double *stage_ms) {
    auto start = std::chrono::steady_clock::now();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, scene_fbo);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    if (stage_ms) stage_ms[stage_copy] += lap(&start);
    if (!(sigma > 0.01f)) return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, scene_fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, blur_a_fbo);
    glBlitFramebuffer(0, 0, w, h, 0, 0, blur_w, blur_h, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    if (stage_ms) stage_ms[stage_downsample] += lap(&start);
    float bw = (float)blur_w, bh = (float)blur_h;
    glActiveTexture(GL_TEXTURE0);
    glUseProgram(program_blur);
    blur_pass(blur_a_tex, blur_b_fbo, 1.0f / bw, 0.0f, bw / (float)w * sigma);
    if (stage_ms) stage_ms[stage_blur_h] += lap(&start);
    blur_pass(blur_b_tex, blur_a_fbo, 0.0f, 1.0f / bh, bh / (float)h * sigma);
    if (stage_ms) stage_ms[stage_blur_v] += lap(&start);
}

GLuint Pipeline::snapshot(int w, int h, float sigma, bool copy, double *stage_ms) {
    if (copy) capture(w, h, sigma, stage_ms);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glViewport(0, 0, w, h);
    return sigma > 0.01f ? blur_a_tex : scene_tex;
}

void Pipeline::draw(const Record &record, int width, int height, float sigma, GLuint blurred) {
    const float *r = record.s;
    float sx = (float)width / scene::ui_width, sy = (float)height / scene::ui_height;
    float left = r[18] * sx, right = (r[18] + r[20]) * sx;
    float top = r[19] * sy, bottom = (r[19] + r[21]) * sy;
    float fw = (float)width, fh = (float)height;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > fw) right = fw;
    if (bottom > fh) bottom = fh;
    if (left >= right || top >= bottom || r[9] <= 0) return;
    GLint l = (GLint)left, b = (GLint)(fh - bottom);
    glScissor(l, b, (GLint)(right + 0.999f) - l, (GLint)(fh - top + 0.999f) - b);
    bool is_glass = r[0] == 0.0f;
    const Locations &u = is_glass ? glass : shape;
    GLuint program = is_glass ? program_glass : program_shape;
    if (program != active) {
        active = program;
        glUseProgram(program);
        glUniform2f(u.view, scene::ui_width, scene::ui_height);
    }
    bool &clips_sent = is_glass ? glass_clips_sent : shape_clips_sent;
    if (!clips_sent) {
        glUniform1i(u.clip_count, 0);
        clips_sent = true;
    }
    glUniform4f(u.rect, r[1], r[2], r[3], r[4]);
    glUniform1i(u.kind, (int)r[0]);
    glUniform4f(u.extra, r[10], r[11], r[12], 0.0f);
    glUniform4f(u.ink, r[6], r[7], r[8], r[9]);
    glUniform1f(u.radius, r[5]);
    glUniform4f(u.corners, r[28], r[29], r[30], r[31]);
    glUniform4f(u.handles, r[32], r[33], r[34], r[35]);
    glUniform4f(u.quality, r[27], r[44], r[45], 0.0f);
    if (is_glass) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, scene_tex);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, blurred);
        glUniform4f(u.optics, r[23], r[26], sigma > 0.01f ? r[22] : 0.0f, r[5]);
        glUniform4f(u.material, r[25], r[24], 0.0f, 0.0f);
        glUniform4f(u.pointer, scene::pointer_x, scene::pointer_y, 1.0f, 0.0f);
        glUniform4f(u.highlight, r[36], r[37], r[38], r[39]);
        glUniform4f(u.shadow, r[40], r[41], r[42], r[43]);
    }
    glDrawArrays(GL_TRIANGLES, 0, 6);
}

void Pipeline::submit(const std::vector<Record> &records, int width, int height, float sigma,
                      double *stage_ms, Stage draws) {
    resize(width, height);
    // Like the renderer, capture only when a glass record samples the backdrop.
    bool glass =
        std::any_of(records.begin(), records.end(), [](const Record &r) { return r.s[0] == 0.0f; });
    GLuint blurred = snapshot(width, height, sigma, glass, stage_ms);
    auto start = std::chrono::steady_clock::now();
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_SCISSOR_TEST);
    active = 0;
    glass_clips_sent = shape_clips_sent = false;
    for (const Record &r : records)
        draw(r, width, height, sigma, blurred);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    if (stage_ms) stage_ms[draws] += lap(&start);
}
