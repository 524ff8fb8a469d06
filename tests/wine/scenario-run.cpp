#include "scenario-run.h"

#include "check.h"
#include "fake-jni.h"
#include "renderer-api.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "scenarios.h"

bool print_probes;

static JNIEnv *env() {
    return fake_env();
}

static jint make_atlas() {
    jint atlas = nr.createTexture(env(), native_gpu_class(), ombrel_atlas_size, ombrel_atlas_size);
    std::vector<unsigned char> pixels(ombrel_atlas_size * ombrel_atlas_size * 4);
    ombrel_atlas_pixels(pixels.data());
    nr.upload(env(), native_gpu_class(), atlas, 0, 0, ombrel_atlas_size, ombrel_atlas_size,
              make_direct_buffer(pixels.data(), jlong(pixels.size())));
    return atlas;
}

static std::vector<unsigned char> render(const ombrel_scenario &s) {
    nr.background(env(), native_gpu_class(), s.width, s.height, s.time, jboolean(s.grid),
                  jboolean(s.light), s.background, s.accent);
    jint atlas = s.uses_atlas ? make_atlas() : 0;
    // Room for one record even when there are none: Java's buffer always has
    // memory, and a null address is refused.
    std::vector<float> buffer(size_t(s.record_count + 1) * OMBREL_RECORD_FLOATS, 0.0f);
    ombrel_scenario_records(&s, buffer.data(), atlas);
    nr.submit(env(), native_gpu_class(), make_direct_buffer(buffer.data(), jlong(buffer.size())),
              s.record_count, 0, GL_BACK, s.width, s.height, s.ui_width, s.ui_height, s.sigma, s.mx,
              s.my);
    std::vector<unsigned char> pixels(size_t(s.width) * s.height * 4);
    nr.readPixels(env(), native_gpu_class(), s.width, s.height,
                  make_direct_buffer(pixels.data(), jlong(pixels.size())));
    if (atlas) nr.deleteTexture(env(), native_gpu_class(), atlas);
    return pixels;
}

static void write_picture(const char *mode, const ombrel_scenario &s,
                          const std::vector<unsigned char> &pixels) {
    std::string name = std::string(mode) + "-" + s.name + ".ppm";
    FILE *f = std::fopen(name.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", s.width, s.height);
    for (int y = s.height - 1; y >= 0; --y)
        for (int x = 0; x < s.width; ++x)
            std::fwrite(&pixels[(size_t(y) * s.width + x) * 4], 1, 3, f);
    std::fclose(f);
}

static void print_scenario_probes(const ombrel_scenario &s, const std::vector<unsigned char> &px) {
    std::printf("    /* %s */\n", s.name);
    for (int i = 0; i < s.probe_count; ++i) {
        const ombrel_probe &p = s.probes[i];
        const unsigned char *c = &px[(size_t(p.y) * s.width + p.x) * 4];
        std::printf("    {%d, %d, {%d, %d, %d, %d}},\n", p.x, p.y, c[0], c[1], c[2], c[3]);
    }
}

static void check_probes(const char *mode, const ombrel_scenario &s,
                         const std::vector<unsigned char> &px) {
    for (int i = 0; i < s.probe_count; ++i) {
        const ombrel_probe &p = s.probes[i];
        if (ombrel_probe_matches(&p, px.data(), s.width)) continue;
        const unsigned char *c = &px[(size_t(p.y) * s.width + p.x) * 4];
        char what[160];
        std::snprintf(what, sizeof what,
                      "%s scenario \"%s\", pixel (%d, %d): got %d %d %d %d, expected %d %d %d %d",
                      mode, s.name, p.x, p.y, c[0], c[1], c[2], c[3], p.rgba[0], p.rgba[1],
                      p.rgba[2], p.rgba[3]);
        check_failed(__FILE__, __LINE__, what);
    }
}

void check_scenarios(const char *mode) {
    for (int i = 0; i < ombrel_scenario_count; ++i) {
        const ombrel_scenario &s = ombrel_scenarios[i];
        std::vector<unsigned char> pixels = render(s);
        CHECK_EQ(take_exception(), "");
        CHECK_EQ(nr.glError(env(), native_gpu_class()), 0);
        if (print_probes) {
            print_scenario_probes(s, pixels);
            write_picture(mode, s, pixels);
        } else {
            check_probes(mode, s, pixels);
        }
    }
}
