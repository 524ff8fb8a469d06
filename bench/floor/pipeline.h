// The renderer's GL work for one frame, issued directly: the background pass,
// then for each command stream with a glass record the backdrop copy, and the
// half-size downsample and the two blur passes when a blur is asked for, and
// one six-vertex draw per record under its scissor box. No JNI, no validation, no saved host
// state: the floor that the renderer's own frame is measured against.
#ifndef OMBREL_BENCH_PIPELINE_H
#define OMBREL_BENCH_PIPELINE_H

#define GL_GLEXT_PROTOTYPES
#include <GL/glcorearb.h>

#include <string>
#include <vector>

#include "scene.h"

// One command record as CommandBuffer writes it: 64 floats.
struct Record {
    float s[64] = {};
};

Record fill_record(const scene::Rect &r);
Record glass_record(const scene::Rect &r);

// Stages of a frame, in order, for the stage probe.
enum Stage {
    stage_background,
    stage_copy,
    stage_downsample,
    stage_blur_h,
    stage_blur_v,
    stage_shapes,
    stage_glass,
    stage_count
};

extern const char *const stage_names[stage_count];

class Pipeline {
  public:
    // Compiles the seven sources of `shader_dir` into the five programs and
    // names the internal targets; returns an empty string or the failure.
    std::string init(const std::string &shader_dir);

    void background(int width, int height, float time);

    // Draws `records` into the default framebuffer's back buffer of
    // width x height pixels, blurring the backdrop by sigma pixels. With
    // `stage_ms` set, waits for the GPU after each stage and adds the stage's
    // milliseconds there, the draws under `draws`.
    void submit(const std::vector<Record> &records, int width, int height, float sigma,
                double *stage_ms = nullptr, Stage draws = stage_shapes);

  private:
    struct Locations {
        GLint rect, view, kind, extra, radius, ink, optics, material, pointer, corners, handles,
            quality, highlight, shadow, clip_count;
    };

    void resize(int width, int height);
    void capture(int width, int height, float sigma, double *stage_ms);
    GLuint snapshot(int width, int height, float sigma, bool copy, double *stage_ms);
    void blur_pass(GLuint input, GLuint fbo, float dx, float dy, float sigma);
    void draw(const Record &r, int width, int height, float sigma, GLuint blurred);

    GLuint program_bg = 0, program_blur = 0, program_glass = 0, program_shape = 0, program_text = 0;
    GLuint vao = 0, scene_tex = 0, blur_a_tex = 0, blur_b_tex = 0;
    GLuint scene_fbo = 0, blur_a_fbo = 0, blur_b_fbo = 0;
    int tex_w = 0, tex_h = 0, blur_w = 0, blur_h = 0;
    GLint bg_res = -1, bg_time = -1, bg_grid = -1, bg_palette = -1, bg_color = -1, bg_accent = -1;
    GLint bl_step = -1, bl_sigma = -1;
    Locations glass = {}, shape = {};
    GLuint active = 0;
    bool glass_clips_sent = false, shape_clips_sent = false;
};

#endif
