// The headless contestants: the benchmark scene drawn through libombrel-ui.so
// (loaded with dlopen and driven through its JNI functions with a JNIEnv of
// our own, no JVM) and the floor's GL work for the same scene, both on one
// EGL context without a window or a display server, so that a frame can be
// timed on a machine that has a GPU and nothing else.
//
//   ombrel-headless --from DIR --out DIR --size WxH --configs N:G:SIGMA[,...]
//                   [--rounds R] [--budget SECONDS] [--frames MIN] [--png]
//   ombrel-headless --probe
//
// --from names the folder of libombrel-ui.so and shaders/, the only files
// read; everything written goes to --out: results.csv (bench/README.md) and,
// with --png, frame 90 of round 1 with and without the glass in png/.
// The two contestants alternate within every configuration. --probe prints
// the EGL platform, the GL renderer and version and the timer query bits.
#include "../floor/pipeline.h"
#include "../floor/png.h"
#include "../floor/runs.h"
#include "context.h"
#include "entry-points.h"
#include "fake-jni.h"

#include <algorithm>
#include <chrono>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

namespace {

constexpr int protocol_version = 24164;
constexpr int warmup_frames = 1;
constexpr double warmup_seconds = 0.5;
constexpr int max_frames = 240;
constexpr int picture_frame = 90;
constexpr const char *shader_files[7] = {"fullscreen.vert", "background.frag", "blur.frag",
                                         "record.vert",     "glass.frag",      "shape.frag",
                                         "text.frag"};

struct Options {
    std::string from, out;
    int width = 0, height = 0, rounds = 1, frames = 5;
    double budget = 1.0;
    bool png = false, probe = false;
    std::vector<Config> configs;
};

// The library's fifteen JNI functions.
struct Library {
#define OMBREL_LIBRARY_SLOT(ret, method, params) ret(*method) params;
    OMBREL_ENTRY_POINTS(OMBREL_LIBRARY_SLOT)
#undef OMBREL_LIBRARY_SLOT
};

// One configuration's scene at one size, with the record buffers the
// library reads.
struct Scene {
    int width, height;
    Config c;
    std::vector<scene::Shape> shapes;
    std::vector<Record> records, glass;
    jobject record_buffer, glass_buffer;
};

struct Times {
    std::vector<double> wall, gpu;
    double cpu = 0; // per frame
};

Library lib;
JNIEnv *env;
jclass native_gpu;
Pipeline floor_pipeline;
GLuint timer;

[[noreturn]] void die(const std::string &what) {
    fprintf(stderr, "ombrel-headless: %s\n", what.c_str());
    exit(1);
}

bool set_option(Options *o, const char *key, const char *value) {
    if (!strcmp(key, "--from"))
        o->from = value;
    else if (!strcmp(key, "--out"))
        o->out = value;
    else if (!strcmp(key, "--size"))
        sscanf(value, "%dx%d", &o->width, &o->height);
    else if (!strcmp(key, "--configs"))
        o->configs = parse_configs(value);
    else if (!strcmp(key, "--rounds"))
        o->rounds = atoi(value);
    else if (!strcmp(key, "--budget"))
        o->budget = atof(value);
    else if (!strcmp(key, "--frames"))
        o->frames = atoi(value);
    else
        return false;
    return true;
}

bool parse(int argc, char **argv, Options *o) {
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--png"))
            o->png = true;
        else if (!strcmp(argv[i], "--probe"))
            o->probe = true;
        else if (i + 1 == argc || !set_option(o, argv[i], argv[i + 1]))
            return false;
        else
            ++i;
    }
    return o->probe || (!o->from.empty() && !o->out.empty() && o->width > 0 && o->height > 0 &&
                        !o->configs.empty() && o->rounds > 0 && o->frames > 0);
}

std::string read_file(const std::string &path) {
    std::ifstream in(path);
    if (!in) die("cannot read " + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void load_library(const std::string &from) {
    std::string path = from + "/libombrel-ui.so";
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) die(dlerror());
#define OMBREL_LIBRARY_LOAD(ret, method, params)                                                   \
    lib.method = (ret(*) params)dlsym(handle, "Java_marlith_sdk_ui_render_NativeGpu_" #method);    \
    if (!lib.method) die(path + " does not export " #method);
    OMBREL_ENTRY_POINTS(OMBREL_LIBRARY_LOAD)
#undef OMBREL_LIBRARY_LOAD
}

// Fails on an exception the library raised.
void check(const char *after) {
    std::string exception = take_exception();
    if (!exception.empty()) die(std::string(after) + ": " + exception);
}

void attach(const std::string &shaders) {
    env = fake_env();
    native_gpu = static_cast<jclass>(make_object("java/lang/Class"));
    if (lib.protocolVersion(env, native_gpu) != protocol_version)
        die("the library speaks another protocol");
    std::vector<std::string> sources;
    for (const char *file : shader_files)
        sources.push_back(read_file(shaders + "/" + file));
    lib.attach(env, native_gpu, make_string_array(sources));
    check("attach");
}

// The GL renderer string, with commas turned into semicolons so that it stays
// one CSV column.
std::string renderer() {
    std::string text = take_string(lib.rendererString(env, native_gpu));
    std::replace(text.begin(), text.end(), ',', ';');
    return text;
}

GLint timer_bits() {
    GLint bits = 0;
    glGetQueryiv(GL_TIME_ELAPSED, GL_QUERY_COUNTER_BITS, &bits);
    return bits;
}

Scene make_scene(int width, int height, const Config &c) {
    Scene s{width, height, c, scene::shapes(c.n), {}, {}, nullptr, nullptr};
    s.records.resize(s.shapes.size());
    for (const scene::Rect &p : scene::panels(c.g))
        s.glass.push_back(glass_record(p));
    s.record_buffer = make_direct_buffer(s.records.data(), (jlong)s.records.size() * 64);
    s.glass_buffer = make_direct_buffer(s.glass.data(), (jlong)s.glass.size() * 64);
    return s;
}

void place_shapes(Scene *s, float t) {
    std::vector<scene::Rect> rects = scene::rects_at(s->shapes, t);
    for (size_t i = 0; i < rects.size(); ++i)
        s->records[i] = fill_record(rects[i]);
}

void submit(const Scene &s, jobject buffer, int count, float sigma) {
    lib.submit(env, native_gpu, buffer, count, 0, GL_BACK, s.width, s.height, scene::ui_width,
               scene::ui_height, sigma, scene::pointer_x, scene::pointer_y);
}

// Ours: what OmbrelFrames does from Java, into the pbuffer's back buffer.
void ours_frame(Scene *s, int frame, bool with_glass) {
    float t = (float)frame / 60.0f;
    lib.background(env, native_gpu, s->width, s->height, t, JNI_FALSE, JNI_FALSE,
                   scene::background_color, scene::accent_color);
    if (s->c.n > 0) {
        place_shapes(s, t);
        submit(*s, s->record_buffer, s->c.n, 0.0f);
    }
    if (with_glass && s->c.g > 0) submit(*s, s->glass_buffer, s->c.g, s->c.sigma);
    check("a frame");
}

// The floor: the same GL work issued directly, as the floor probe does.
void floor_frame(Scene *s, int frame, bool with_glass) {
    float t = (float)frame / 60.0f;
    floor_pipeline.background(s->width, s->height, t);
    if (s->c.n > 0) {
        place_shapes(s, t);
        floor_pipeline.submit(s->records, s->width, s->height, 0.0f);
    }
    if (with_glass && s->c.g > 0) floor_pipeline.submit(s->glass, s->width, s->height, s->c.sigma);
}

struct Contestant {
    const char *name;
    void (*frame)(Scene *, int, bool);
};

const Contestant contestants[2] = {{"headless-ombrel", ours_frame},
                                   {"headless-floor", floor_frame}};

double ms_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// One frame from its first call to the end of glFinish, and with a timer the
// GPU's time for it.
void timed_frame(const Contestant &c, Scene *s, int frame, Times *t) {
    auto start = std::chrono::steady_clock::now();
    if (timer) glBeginQuery(GL_TIME_ELAPSED, timer);
    c.frame(s, frame, true);
    if (timer) glEndQuery(GL_TIME_ELAPSED);
    glFinish();
    t->wall.push_back(ms_since(start));
    if (!timer) return;
    GLuint64 ns = 0;
    glGetQueryObjectui64v(timer, GL_QUERY_RESULT, &ns);
    t->gpu.push_back((double)ns / 1e6);
}

// Warm-up of at least one frame (shader compilation, target allocation) and
// up to half a second, then frames until the budget is spent and at least
// `frames` were drawn.
Times measure(const Contestant &c, Scene *s, const Options &o) {
    int f = 0;
    auto start = std::chrono::steady_clock::now();
    while (f < warmup_frames || ms_since(start) < 1000 * std::min(warmup_seconds, o.budget / 2)) {
        c.frame(s, f++, true);
        glFinish();
    }
    Times t;
    double spent = 0, first_cpu = cpu_ms();
    while ((int)t.wall.size() < max_frames &&
           (spent < o.budget * 1000 || (int)t.wall.size() < o.frames)) {
        timed_frame(c, s, f++, &t);
        spent += t.wall.back();
    }
    t.cpu = (cpu_ms() - first_cpu) / (double)t.wall.size();
    return t;
}

std::string config_name(const Scene &s) {
    char name[96];
    snprintf(name, sizeof name, "%dx%d-N%d-G%d-s%g", s.width, s.height, s.c.n, s.c.g,
             (double)s.c.sigma);
    return name;
}

// A results.csv line: the columns of the other contestants, then the renderer.
std::string csv_line(const std::string &name, const Scene &s, int round,
                     const std::vector<double> &ms, const char *cpu, const std::string &gl) {
    char line[512];
    snprintf(line, sizeof line, "%s,%d,%d,%d,%d,%g,%d,%.4f,%.4f,%zu,%s,%.4f,%s\n", name.c_str(),
             s.width, s.height, s.c.n, s.c.g, (double)s.c.sigma, round, percentile(ms, 0.5),
             percentile(ms, 0.95), ms.size(), cpu, percentile(ms, 0.0), gl.c_str());
    return line;
}

void report(std::ofstream &csv, const Contestant &c, const Scene &s, int round, const Times &t,
            const std::string &gl) {
    char cpu[32];
    snprintf(cpu, sizeof cpu, "%.4f", t.cpu);
    csv << csv_line(c.name, s, round, t.wall, cpu, gl);
    if (!t.gpu.empty()) csv << csv_line(std::string(c.name) + "-gpu", s, round, t.gpu, "n/a", gl);
    csv.flush();
}

// The back buffer as the contestant reads it: ours through readPixels, the
// floor with glReadPixels.
void save_picture(const Contestant &c, const Scene &s, const Options &o, const char *what) {
    std::vector<unsigned char> rgba((size_t)s.width * s.height * 4);
    if (c.frame == ours_frame) {
        lib.readPixels(env, native_gpu, s.width, s.height,
                       make_direct_buffer(rgba.data(), (jlong)rgba.size()));
        check("readPixels");
    } else {
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, s.width, s.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    }
    std::string path = o.out + "/png/" + c.name + "-" + config_name(s) + "-" + what + ".png";
    if (!png_write(path, s.width, s.height, rgba.data())) die("cannot write " + path);
}

void pictures(const Contestant &c, Scene *s, const Options &o) {
    c.frame(s, picture_frame, false);
    save_picture(c, *s, o, "before");
    c.frame(s, picture_frame, true);
    save_picture(c, *s, o, "final");
}

void print_summary(const Scene &s, int round, const Times *t) {
    double ours = percentile(t[0].wall, 0.5), floor = percentile(t[1].wall, 0.5);
    printf("%s round %d: ombrel %.2f ms, floor %.2f ms, ombrel / floor %.3f",
           config_name(s).c_str(), round, ours, floor, ours / floor);
    if (!t[0].gpu.empty()) {
        double gpu_ours = percentile(t[0].gpu, 0.5), gpu_floor = percentile(t[1].gpu, 0.5);
        printf("; GPU timer %.2f / %.2f ms, %.3f", gpu_ours, gpu_floor, gpu_ours / gpu_floor);
    }
    printf("\n");
    fflush(stdout);
}

// Both contestants on one configuration, in an order that alternates from
// one configuration and round to the next.
void run_config(const Options &o, const Config &config, int index, int round, std::ofstream &csv,
                const std::string &gl) {
    Scene s = make_scene(o.width, o.height, config);
    Times t[2];
    for (int k = 0; k < 2; ++k) {
        int i = (k + index + round) % 2;
        t[i] = measure(contestants[i], &s, o);
        report(csv, contestants[i], s, round, t[i], gl);
        if (o.png && round == 1) pictures(contestants[i], &s, o);
    }
    print_summary(s, round, t);
}

void probe() {
    Headless h;
    std::string failure = headless_open(&h, 64, 64);
    if (!failure.empty()) die("no EGL context:\n" + failure);
    printf("platform: %s\nrenderer: %s\nversion: %s\ntimer query bits: %d\n", h.platform,
           (const char *)glGetString(GL_RENDERER), (const char *)glGetString(GL_VERSION),
           timer_bits());
    headless_close(&h);
}

int run(const Options &o) {
    Headless h;
    std::string failure = headless_open(&h, o.width, o.height);
    if (!failure.empty()) die("no EGL context:\n" + failure);
    load_library(o.from);
    attach(o.from + "/shaders");
    failure = floor_pipeline.init(o.from + "/shaders");
    if (!failure.empty()) die("floor: " + failure);
    if (timer_bits() > 0) glGenQueries(1, &timer);
    std::string gl = renderer();
    mkdir(o.out.c_str(), 0777);
    if (o.png) mkdir((o.out + "/png").c_str(), 0777);
    std::ofstream csv(o.out + "/results.csv", std::ios::app);
    if (!csv) die("cannot write " + o.out + "/results.csv");
    for (int round = 1; round <= o.rounds; ++round)
        for (size_t i = 0; i < o.configs.size(); ++i)
            run_config(o, o.configs[i], (int)i, round, csv, gl);
    GLenum error = (GLenum)lib.glError(env, native_gpu);
    lib.close(env, native_gpu);
    check("close");
    headless_close(&h);
    if (error != GL_NO_ERROR) die("GL error " + std::to_string(error));
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    Options o;
    if (!parse(argc, argv, &o)) {
        fprintf(stderr,
                "usage: %s [--png] --from DIR --out DIR --size WxH --configs N:G:SIGMA[,...] "
                "[--rounds R] [--budget SECONDS] [--frames MIN]\n       %s --probe\n",
                argv[0], argv[0]);
        return 2;
    }
    if (o.probe) {
        probe();
        return 0;
    }
    return run(o);
}
