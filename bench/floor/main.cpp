// The floor contestant: the renderer's GL work for the benchmark scene with
// nothing around it, in a GLX window like the one the renderer draws into.
//
//   ombrel-floor --shaders DIR --size WxH --configs N:G:SIGMA[,...] --round R
//                [--name NAME] [--budget SECONDS] [--out CSV] [--png DIR]
//                [--stages CSV]
//
// Appends one CSV line per configuration to --out (see bench/README.md);
// --png writes the frame shown at frame 90 with and without the glass;
// --stages also times every stage of the frame on its own. NAME (default
// floor) heads every line and picture name: the probe is also the `limit`
// contestant, run with the minimal shaders of bench/limit.
#include "pipeline.h"
#include "png.h"
#include "runs.h"
#include "window.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr int warmup_frames = 3;
constexpr double warmup_seconds = 0.5;
constexpr int min_frames = 5;
constexpr int max_frames = 240;
constexpr int picture_frame = 90;

struct Options {
    std::string name = "floor", shaders, out = "/dev/stdout", png, stages;
    int width = 1280, height = 720, round = 0;
    double budget = 1.0;
    std::vector<Config> configs;
};

bool parse(int argc, char **argv, Options *o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const char *key = argv[i], *value = argv[i + 1];
        if (!strcmp(key, "--name"))
            o->name = value;
        else if (!strcmp(key, "--shaders"))
            o->shaders = value;
        else if (!strcmp(key, "--size"))
            sscanf(value, "%dx%d", &o->width, &o->height);
        else if (!strcmp(key, "--configs"))
            o->configs = parse_configs(value);
        else if (!strcmp(key, "--round"))
            o->round = atoi(value);
        else if (!strcmp(key, "--budget"))
            o->budget = atof(value);
        else if (!strcmp(key, "--out"))
            o->out = value;
        else if (!strcmp(key, "--png"))
            o->png = value;
        else if (!strcmp(key, "--stages"))
            o->stages = value;
        else
            return false;
    }
    return !o->shaders.empty() && !o->configs.empty() && argc % 2 == 1;
}

class Scene {
  public:
    Scene(Pipeline *pipeline, int width, int height, const Config &c)
        : pipeline(pipeline), width(width), height(height), config(c), shapes(scene::shapes(c.n)) {
        for (const scene::Rect &p : scene::panels(c.g))
            glass.push_back(glass_record(p));
    }

    // Draws frame `frame` and waits until it is complete. With `stage_ms`
    // set, adds the time of every stage there instead.
    void frame(int frame, bool with_glass, double *stage_ms = nullptr) {
        float t = (float)frame / 60.0f;
        auto start = std::chrono::steady_clock::now();
        pipeline->background(width, height, t);
        if (stage_ms) {
            glFinish();
            stage_ms[stage_background] +=
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
        }
        if (config.n > 0) {
            records.clear();
            for (const scene::Rect &r : scene::rects_at(shapes, t))
                records.push_back(fill_record(r));
            pipeline->submit(records, width, height, 0.0f, stage_ms, stage_shapes);
        }
        if (with_glass && config.g > 0)
            pipeline->submit(glass, width, height, config.sigma, stage_ms, stage_glass);
        // Reading a pixel of the back buffer waits for everything drawn there.
        unsigned char pixel[4];
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    }

  private:
    Pipeline *pipeline;
    int width, height;
    Config config;
    std::vector<scene::Shape> shapes;
    std::vector<Record> records, glass;
};

struct Times {
    std::vector<double> wall;
    double cpu = 0; // per frame
};

// Frame times in ms, fence to fence, for about `budget` seconds.
Times measure(Scene *s, double budget) {
    int f = 0;
    auto start = std::chrono::steady_clock::now();
    while (f < warmup_frames ||
           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() <
               warmup_seconds)
        s->frame(f++, true);
    Times t;
    double spent = 0;
    auto last = std::chrono::steady_clock::now();
    double first_cpu = cpu_ms();
    while ((int)t.wall.size() < max_frames &&
           (spent < budget * 1000 || (int)t.wall.size() < min_frames)) {
        s->frame(f++, true);
        auto now = std::chrono::steady_clock::now();
        t.wall.push_back(std::chrono::duration<double, std::milli>(now - last).count());
        spent += t.wall.back();
        last = now;
    }
    t.cpu = (cpu_ms() - first_cpu) / (double)t.wall.size();
    return t;
}

std::string config_name(const Options &o, const Config &c) {
    char name[96];
    snprintf(name, sizeof name, "%dx%d-N%d-G%d-s%g", o.width, o.height, c.n, c.g, (double)c.sigma);
    return name;
}

void save_frame(const Options &o, const Config &c, const char *what) {
    std::vector<unsigned char> rgba((size_t)o.width * o.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, o.width, o.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::string path = o.png + "/" + o.name + "-" + config_name(o, c) + "-" + what + ".png";
    if (!png_write(path, o.width, o.height, rgba.data()))
        fprintf(stderr, "cannot write %s\n", path.c_str());
}

// The columns every line of results.csv and stages.csv starts with.
std::string line_head(const Options &o, const Config &c) {
    char head[128];
    snprintf(head, sizeof head, "%s,%d,%d,%d,%d,%g,%d", o.name.c_str(), o.width, o.height, c.n, c.g,
             (double)c.sigma, o.round);
    return head;
}

void stages(Scene *s, const Options &o, const Config &c, int frames) {
    double ms[stage_count] = {};
    for (int f = 0; f < frames; ++f)
        s->frame(f, true, ms);
    std::ofstream out(o.stages, std::ios::app);
    out << line_head(o, c);
    for (int i = 0; i < stage_count; ++i)
        out << "," << stage_names[i] << "=" << ms[i] / frames;
    out << "\n";
}

} // namespace

int main(int argc, char **argv) {
    Options o;
    if (!parse(argc, argv, &o)) {
        fprintf(stderr,
                "usage: %s --shaders DIR --size WxH --configs N:G:SIGMA[,...] --round R "
                "[--name NAME] [--budget SECONDS] [--out CSV] [--png DIR] [--stages CSV]\n",
                argv[0]);
        return 2;
    }
    GlWindow window;
    std::string failure = window_open(&window, o.width, o.height);
    Pipeline pipeline;
    if (failure.empty()) failure = pipeline.init(o.shaders);
    if (!failure.empty()) {
        fprintf(stderr, "ombrel-floor: %s\n", failure.c_str());
        return 1;
    }
    std::ofstream out(o.out, std::ios::app);
    for (const Config &c : o.configs) {
        Scene s(&pipeline, o.width, o.height, c);
        Times t = measure(&s, o.budget);
        out << line_head(o, c) << "," << percentile(t.wall, 0.5) << "," << percentile(t.wall, 0.95)
            << "," << t.wall.size() << "," << t.cpu << "," << percentile(t.wall, 0.0) << "\n";
        out.flush();
        if (!o.stages.empty()) stages(&s, o, c, std::max<int>(5, (int)t.wall.size() / 2));
        if (o.png.empty()) continue;
        s.frame(picture_frame, false);
        save_frame(o, c, "before");
        s.frame(picture_frame, true);
        save_frame(o, c, "final");
    }
    GLenum error = glGetError();
    window_close(&window);
    if (error != GL_NO_ERROR) fprintf(stderr, "ombrel-floor: GL error 0x%04X\n", error);
    return error == GL_NO_ERROR ? 0 : 1;
}
