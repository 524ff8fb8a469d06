#include "scene.h"

#include <math.h>

namespace scene {

std::vector<Shape> shapes(int count) {
    Random random;
    std::vector<Shape> out;
    for (int i = 0; i < count; ++i) {
        Shape s;
        s.w = 24.0f + 136.0f * random.unit();
        s.h = 16.0f + 94.0f * random.unit();
        s.x0 = random.unit() * (ui_width - s.w);
        s.y0 = random.unit() * (ui_height - s.h);
        s.radius = 4.0f + 12.0f * random.unit();
        uint32_t r = (uint32_t)(random.unit() * 255.0f + 0.5f);
        uint32_t g = (uint32_t)(random.unit() * 255.0f + 0.5f);
        uint32_t b = (uint32_t)(random.unit() * 255.0f + 0.5f);
        uint32_t a = (uint32_t)((0.25f + 0.35f * random.unit()) * 255.0f + 0.5f);
        s.argb = a << 24 | r << 16 | g << 8 | b;
        s.phase = 6.2831855f * random.unit();
        s.speed = 0.5f + random.unit();
        out.push_back(s);
    }
    return out;
}

std::vector<Rect> rects_at(const std::vector<Shape> &shapes, float t) {
    std::vector<Rect> out;
    out.reserve(shapes.size());
    for (const Shape &s : shapes) {
        float x = s.x0 + 24.0f * (float)sin((double)(s.speed * t + s.phase));
        float y = s.y0 + 16.0f * (float)cos((double)(0.8f * s.speed * t + s.phase));
        out.push_back({x, y, s.w, s.h, s.radius, s.argb});
    }
    return out;
}

std::vector<Rect> panels(int count) {
    std::vector<Rect> out;
    if (count == 1) out.push_back({400.0f, 210.0f, 480.0f, 300.0f, glass_radius, 0xFFFFFFFFu});
    for (int i = 0; count == 8 && i < 8; ++i) {
        float x = 100.0f + 280.0f * (float)(i % 4), y = 110.0f + 300.0f * (float)(i / 4);
        out.push_back({x, y, 240.0f, 200.0f, glass_radius, 0xFFFFFFFFu});
    }
    return out;
}

} // namespace scene
