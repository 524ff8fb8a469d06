// Google Benchmark of submit on a 64 x 64 target: N filled 8 x 8 records per
// call, N = 100, 1000, 10000, against a raw loop that issues the same GL calls
// per record straight to the driver. Both wait for the GPU after each call.
// The renderer runs in attached mode on the test harness's EGL context and
// JVM; a second run of this program under the harness's GL call recorder
// counts the GL calls per record.
//
//   ombrel-submit-bench [--summary FILE] [Google Benchmark flags]
//   ombrel-submit-bench --count-calls
//   ombrel-submit-bench --baseline LIBRARY [ROUNDS]
//
// --summary writes ns per record (slope of a least-squares line through the
// three sizes) and per call (its intercept) for both, their ratio, the GL
// calls per record and the JNI crossings per frame. --baseline compares this
// build's submit with another build's, both attached to the same context and
// timed in turns (rounds of ABBA), and prints per call for 0 records and the
// three sizes the medians of the submitting thread's CPU time, of the wall
// time, and of each round's ratio: pairs cancel the drift of a shared machine.
#include "host.h"
#include "jvm.h"
#include "renderer.h"

#include <benchmark/benchmark.h>
#include <algorithm>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <set>
#include <spawn.h>
#include <sstream>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int side = 64;
const char *baseline_library;
constexpr long sizes[] = {100, 1000, 10000};

typedef void(JNICALL *submit_fn)(JNIEnv *, jclass, jobject, jint, jint, jint, jint, jint, jfloat,
                                 jfloat, jfloat, jfloat, jfloat);

// N translucent 8 x 8 fills tiling the target, as CommandBuffer.fill writes
// them: scissor bounds grown by 2 units.
std::vector<float> fills(long n) {
    std::vector<float> f((size_t)n * 64 + 1, 0.0f);
    for (long i = 0; i < n; ++i) {
        float *r = &f[(size_t)i * 64];
        float x = (float)(8 * (i % 8)), y = (float)(8 * ((i / 8) % 8));
        r[0] = 1.0f;
        r[1] = x, r[2] = y, r[3] = 8.0f, r[4] = 8.0f;
        r[6] = 0.2f, r[7] = 0.5f, r[8] = 0.9f, r[9] = 0.5f;
        r[18] = x - 2.0f, r[19] = y - 2.0f, r[20] = 12.0f, r[21] = 12.0f;
        r[28] = r[29] = r[30] = r[31] = 2.0f;
        r[45] = 1.0f;
    }
    return f;
}

// The renderer attached to an EGL context of the harness, drawing into a
// 64 x 64 framebuffer of the host.
struct Setup {
    HostContext host;
    HostTarget target;
    submit_fn submit = nullptr, baseline = nullptr;
    jclass cls = nullptr;
    std::map<long, std::vector<float>> memory;
    std::map<long, jobject> buffers;

    void open() {
        JvmEnvironment().SetUp();
        std::string failure = host_open(&host, Profile::compat, 4, 5);
        if (!failure.empty()) throw std::runtime_error(failure);
        target = host_target(side, side, 0.1f, 0.1f, 0.1f, 1.0f);
        native::attach(sources_array(reference_sources()));
        Thrown t = take_exception();
        if (t.pending) throw std::runtime_error("attach: " + t.message);
        void *library = dlopen(OMBREL_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
        submit = library ? (submit_fn)dlsym(library, "Java_marlith_sdk_ui_render_NativeGpu_submit")
                         : nullptr;
        if (!submit) throw std::runtime_error("the renderer's submit is not reachable");
        cls = (jclass)jni()->NewGlobalRef(jni()->FindClass("java/lang/Object"));
        if (baseline_library) attach_baseline();
        for (long n : sizes) {
            memory[n] = fills(n);
            buffers[n] = jni()->NewGlobalRef(direct_float_buffer(memory[n].data(), n * 64));
        }
        buffers[0] = jni()->NewGlobalRef(direct_float_buffer(memory[100].data(), 0));
    }

    // The other build, loaded by its path beside this one and attached to the
    // same context with objects of its own.
    void attach_baseline() {
        typedef void(JNICALL * attach_fn)(JNIEnv *, jclass, jobjectArray);
        void *library = dlopen(baseline_library, RTLD_NOW | RTLD_LOCAL);
        auto attach = library
                          ? (attach_fn)dlsym(library, "Java_marlith_sdk_ui_render_NativeGpu_attach")
                          : nullptr;
        baseline = library
                       ? (submit_fn)dlsym(library, "Java_marlith_sdk_ui_render_NativeGpu_submit")
                       : nullptr;
        if (!attach || !baseline) throw std::runtime_error("the baseline library is not usable");
        attach(jni(), cls, sources_array(reference_sources()));
        Thrown t = take_exception();
        if (t.pending) throw std::runtime_error("baseline attach: " + t.message);
    }

    // One frame: one JNI call of submit with n records, of this build or the
    // baseline.
    void frame(long n, bool of_baseline = false) {
        (of_baseline ? baseline : submit)(jni(), cls, buffers[n], (jint)n, (jint)target.fbo,
                                          GL_COLOR_ATTACHMENT0, side, side, (float)side,
                                          (float)side, 0.0f, 0.0f, 0.0f);
        if (jni()->ExceptionCheck()) throw std::runtime_error("submit raised an exception");
    }
};

Setup setup;

// The shape program of the reference shaders and its uniforms, made on the
// host for the raw loop.
struct RawProgram {
    GLuint program = 0, vao = 0;
    GLint rect, view, kind, extra, ink, radius, corners, handles, quality, clips;

    void make() {
        std::vector<std::string> s = reference_sources();
        program = gl.glCreateProgram();
        for (auto [type, text] : {std::pair{GL_VERTEX_SHADER, s[3]}, {GL_FRAGMENT_SHADER, s[5]}}) {
            GLuint shader = gl.glCreateShader(type);
            const char *source = text.c_str();
            gl.glShaderSource(shader, 1, &source, nullptr);
            gl.glCompileShader(shader);
            gl.glAttachShader(program, shader);
            gl.glDeleteShader(shader);
        }
        gl.glLinkProgram(program);
        gl.glGenVertexArrays(1, &vao);
        rect = gl.glGetUniformLocation(program, "rect");
        view = gl.glGetUniformLocation(program, "view");
        kind = gl.glGetUniformLocation(program, "kind");
        extra = gl.glGetUniformLocation(program, "extra");
        ink = gl.glGetUniformLocation(program, "ink");
        radius = gl.glGetUniformLocation(program, "radius");
        corners = gl.glGetUniformLocation(program, "cornerRadii");
        handles = gl.glGetUniformLocation(program, "cornerHandles");
        quality = gl.glGetUniformLocation(program, "quality");
        clips = gl.glGetUniformLocation(program, "shapeClipCount");
    }

    // The per-record GL work of submit for these fills, without the
    // backdrop capture, the JNI call and the saved host state.
    void frame(const std::vector<float> &records, long n) const {
        gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, setup.target.fbo);
        gl.glViewport(0, 0, side, side);
        gl.glBindVertexArray(vao);
        gl.glUseProgram(program);
        gl.glUniform2f(view, (float)side, (float)side);
        gl.glUniform1i(clips, 0);
        gl.glEnable(GL_BLEND);
        gl.glBlendFuncSeparate(GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        gl.glEnable(GL_SCISSOR_TEST);
        const float size = (float)side;
        for (long i = 0; i < n; ++i) {
            const float *r = &records[(size_t)i * 64];
            float left = std::max(r[18], 0.0f), right = std::min(r[18] + r[20], size);
            float top = std::max(r[19], 0.0f), bottom = std::min(r[19] + r[21], size);
            GLint l = (GLint)left, b = (GLint)(size - bottom);
            gl.glScissor(l, b, (GLint)(right + 0.999f) - l, (GLint)(size - top + 0.999f) - b);
            gl.glUniform4f(rect, r[1], r[2], r[3], r[4]);
            gl.glUniform1i(kind, (int)r[0]);
            gl.glUniform4f(extra, r[10], r[11], r[12], 0.0f);
            gl.glUniform4f(ink, r[6], r[7], r[8], r[9]);
            gl.glUniform1f(radius, r[5]);
            gl.glUniform4f(corners, r[28], r[29], r[30], r[31]);
            gl.glUniform4f(handles, r[32], r[33], r[34], r[35]);
            gl.glUniform4f(quality, r[27], r[44], r[45], 0.0f);
            gl.glDrawArrays(GL_TRIANGLES, 0, 6);
        }
        gl.glDisable(GL_SCISSOR_TEST);
        gl.glDisable(GL_BLEND);
        gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    }
};

RawProgram raw;

void BM_Submit(benchmark::State &state) {
    long n = state.range(0);
    for (auto _ : state) {
        setup.frame(n);
        gl.glFinish();
    }
    state.counters["ns_per_record"] = benchmark::Counter(
        (double)n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RawLoop(benchmark::State &state) {
    long n = state.range(0);
    for (auto _ : state) {
        raw.frame(setup.memory[n], n);
        gl.glFinish();
    }
    state.counters["ns_per_record"] = benchmark::Counter(
        (double)n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Both benchmarks at every record count, timed by wall clock and by the CPU
// time of the whole process (llvmpipe draws on threads of its own), per call.
void per_call(benchmark::internal::Benchmark *b) {
    b->Arg(100)
        ->Arg(1000)
        ->Arg(10000)
        ->Unit(benchmark::kMicrosecond)
        ->MeasureProcessCPUTime()
        ->UseRealTime();
}
BENCHMARK(BM_Submit)->Apply(per_call);
BENCHMARK(BM_RawLoop)->Apply(per_call);

// Nanoseconds per call of every benchmark, by name: wall and process CPU, the
// median of the repetitions when there are several.
class Collector : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, double> wall, cpu;

    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs) {
            bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            std::string name = r.run_name.function_name + "/" + r.run_name.args;
            if (median) medians.insert(name);
            if (!median && (r.run_type != Run::RT_Iteration || medians.count(name))) continue;
            // Times are reported in microseconds.
            wall[name] = r.GetAdjustedRealTime() * 1e3;
            cpu[name] = r.GetAdjustedCPUTime() * 1e3;
        }
        ConsoleReporter::ReportRuns(runs);
    }

  private:
    std::set<std::string> medians;
};

// Least-squares line through (N, ns per call): slope and intercept.
std::pair<double, double> fit(const std::map<std::string, double> &ns, const std::string &family) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0, k = 0;
    for (long n : sizes) {
        auto it = ns.find(family + "/" + std::to_string(n));
        if (it == ns.end()) continue;
        double x = (double)n, y = it->second;
        sx += x, sy += y, sxx += x * x, sxy += x * y, k += 1;
    }
    double slope = (k * sxy - sx * sy) / (k * sxx - sx * sx);
    return {slope, (sy - slope * sx) / k};
}

// GL calls the renderer makes for one submit of n records, by name.
std::map<std::string, long> calls_for(long n) {
    rec_reset();
    setup.frame(n);
    std::map<std::string, long> count;
    for (const std::string &name : rec_names())
        ++count[name];
    return count;
}

int count_calls() {
    load_recorder(RecorderKind::lookup);
    setup.open();
    std::map<std::string, long> none = calls_for(0), many = calls_for(1000);
    long total = 0;
    std::ostringstream detail;
    for (const auto &[name, count] : many) {
        long extra = count - (none.count(name) ? none.at(name) : 0);
        total += extra;
        if (extra) detail << " " << name << " " << (double)extra / 1000.0;
    }
    long fixed = 0;
    for (const auto &entry : none)
        fixed += entry.second;
    printf("GL calls per record: %.2f (%s )\n", (double)total / 1000.0, detail.str().c_str());
    printf("GL calls per submit besides the records: %ld\n", fixed);
    printf("JNI crossings per frame: 1 (one submit call carries all records)\n");
    native::close();
    return 0;
}

// Runs this program again with --count-calls (the recorder has to be in the
// process before the driver is) and returns what it printed.
std::string counted_calls() {
    std::string file = "/tmp/ombrel-submit-bench-calls-" + std::to_string(getpid());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    char self[] = "/proc/self/exe", flag[] = "--count-calls";
    char *argv[] = {self, flag, nullptr};
    pid_t child;
    int status = -1;
    if (posix_spawn(&child, self, &actions, nullptr, argv, environ) == 0)
        waitpid(child, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    remove(file.c_str());
    return status == 0 ? text.str() : "GL call count failed\n";
}

void write_fits(std::ofstream &out, const char *what, const std::map<std::string, double> &ns) {
    auto [submit_slope, submit_intercept] = fit(ns, "BM_Submit");
    auto [raw_slope, raw_intercept] = fit(ns, "BM_RawLoop");
    char line[256];
    for (long n : sizes) {
        std::string key = "/" + std::to_string(n);
        double submit = ns.count("BM_Submit" + key) ? ns.at("BM_Submit" + key) : 0;
        double loop = ns.count("BM_RawLoop" + key) ? ns.at("BM_RawLoop" + key) : 0;
        snprintf(line, sizeof line,
                 "%s, N = %ld: submit %.0f ns per record, raw loop %.0f (%.3f)\n", what, n,
                 submit / (double)n, loop / (double)n, submit / loop);
        out << line;
    }
    snprintf(line, sizeof line,
             "%s: submit %.0f ns per record + %.1f us per call; raw loop %.0f ns per record + "
             "%.1f us per call; submit / raw loop per record %.3f\n",
             what, submit_slope, submit_intercept / 1e3, raw_slope, raw_intercept / 1e3,
             submit_slope / raw_slope);
    out << line;
}

void write_summary(const char *path, const Collector &c) {
    std::ofstream out(path);
    out << "64 x 64 target, 8 x 8 fills, N = 100, 1000, 10000 records per call; least-squares fit "
           "of time per call against N\n";
    write_fits(out, "wall", c.wall);
    write_fits(out, "process CPU", c.cpu);
    out << counted_calls();
}

double nanoseconds(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return (double)t.tv_sec * 1e9 + (double)t.tv_nsec;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// This build against the baseline, in rounds of ABBA, each turn a batch of
// calls of about the same length whatever the size.
int compare_with_baseline(int rounds) {
    setup.open();
    for (long n : {0L, sizes[0], sizes[1], sizes[2]}) {
        int calls = n == 0 ? 50 : (int)std::max(1L, 1000 / n);
        std::vector<double> cpu[2], wall[2], cpu_ratio, wall_ratio;
        for (int r = 0; r < rounds; ++r) {
            double c[2] = {0, 0}, w[2] = {0, 0};
            for (int which : {0, 1, 1, 0}) {
                double c0 = nanoseconds(CLOCK_THREAD_CPUTIME_ID), w0 = nanoseconds(CLOCK_MONOTONIC);
                for (int i = 0; i < calls; ++i) {
                    setup.frame(n, which == 1);
                    gl.glFinish();
                }
                c[which] += nanoseconds(CLOCK_THREAD_CPUTIME_ID) - c0;
                w[which] += nanoseconds(CLOCK_MONOTONIC) - w0;
            }
            for (int which : {0, 1}) {
                cpu[which].push_back(c[which] / (2 * calls));
                wall[which].push_back(w[which] / (2 * calls));
            }
            cpu_ratio.push_back(c[0] / c[1]);
            wall_ratio.push_back(w[0] / w[1]);
        }
        printf("N = %ld: thread CPU per call %.1f us, baseline %.1f us, ratio %.4f; wall %.1f us, "
               "baseline %.1f us, ratio %.4f\n",
               n, median(cpu[0]) / 1e3, median(cpu[1]) / 1e3, median(cpu_ratio),
               median(wall[0]) / 1e3, median(wall[1]) / 1e3, median(wall_ratio));
    }
    native::close();
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 2 && !strcmp(argv[1], "--count-calls")) return count_calls();
    if (argc >= 3 && !strcmp(argv[1], "--baseline")) {
        baseline_library = argv[2];
        return compare_with_baseline(argc > 3 ? atoi(argv[3]) : 30);
    }
    const char *summary = nullptr;
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        if (!strcmp(argv[i], "--summary") && i + 1 < argc)
            summary = argv[++i];
        else
            args.push_back(argv[i]);
    }
    int count = (int)args.size();
    benchmark::Initialize(&count, args.data());
    setup.open();
    raw.make();
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    native::close();
    if (summary) write_summary(summary, collector);
    return 0;
}
