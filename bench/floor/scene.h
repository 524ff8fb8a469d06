// The benchmark scene, the same in every contestant: an animated background,
// N translucent rounded rectangles drifting on fixed paths, and G frosted
// glass panels. Everything is laid out in a UI of 1280 x 720 units and scaled
// to the target size. bench/java/marlith/bench/Scene.java is the Java twin of
// this file and must produce the same numbers.
#ifndef OMBREL_BENCH_SCENE_H
#define OMBREL_BENCH_SCENE_H

#include <stdint.h>
#include <vector>

namespace scene {

constexpr float ui_width = 1280.0f;
constexpr float ui_height = 720.0f;
constexpr int background_color = 0x101828;
constexpr int accent_color = 0x6D5BD0;
constexpr float pointer_x = 640.0f;
constexpr float pointer_y = 360.0f;
constexpr float glass_radius = 24.0f;

// A rounded rectangle in UI units with straight-alpha colour 0xAARRGGBB.
struct Rect {
    float x, y, w, h, radius;
    uint32_t argb;
};

// Paths and colours of the rectangles, drawn from a fixed seed.
struct Shape {
    float x0, y0, w, h, radius, phase, speed;
    uint32_t argb;
};

class Random {
  public:
    // Uniform in [0, 1) from the top 24 bits of a 32-bit xorshift.
    float unit() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (float)(state >> 8) / 16777216.0f;
    }

  private:
    uint32_t state = 0x2545F491u;
};

std::vector<Shape> shapes(int count);

// Where the shapes are at animation time t (seconds).
std::vector<Rect> rects_at(const std::vector<Shape> &shapes, float t);

// The G glass panels: one centred 480 x 300 panel, or a 4 x 2 grid of eight.
std::vector<Rect> panels(int count);

} // namespace scene

#endif
