/* Rendering scenarios shared by the Linux pixel tests (tests/native) and the
 * Windows harness (tests/wine). Both builds run the same command records
 * through the reference shaders (shaders/) and must produce the same pixels;
 * the probes below are the pixels both compare with.
 *
 * Plain C so that any harness can include it; the data is static, so include
 * it in one translation unit per program.
 *
 * How a harness runs one scenario, with the renderer open on a window of at
 * least 200 x 150 pixels (or attached to a context with such a default
 * framebuffer):
 *  1. background(width, height, time, grid, light, background, accent);
 *  2. if uses_atlas: createTexture(ombrel_atlas_size, ombrel_atlas_size), then
 *     upload the whole texture with ombrel_atlas_pixels;
 *  3. fill a direct float buffer with ombrel_scenario_records and
 *     submit(buffer, record_count, 0, GL_BACK, width, height, ui_width,
 *            ui_height, sigma, mx, my);
 *  4. readPixels(width, height) and check each probe with
 *     ombrel_probe_matches;
 *  5. deleteTexture of the atlas, if one was made.
 */
#ifndef OMBREL_SCENARIOS_H
#define OMBREL_SCENARIOS_H

#include <stdlib.h>
#include <string.h>

#define OMBREL_RECORD_FLOATS 64
#define OMBREL_MAX_SET_SLOTS 40

struct ombrel_slot {
    int slot;
    float value;
};

/* One command record: the slots that are not 0. The list starts with slot 0,
 * the kind, and ends at the end of the array or at the next entry for slot 0
 * (the zero-filled rest of the array). */
struct ombrel_record {
    struct ombrel_slot slots[OMBREL_MAX_SET_SLOTS];
};

struct ombrel_probe {
    int x, y;
    unsigned char rgba[4];
};

struct ombrel_scenario {
    const char *name;
    int width, height;
    /* background pass */
    float time;
    int grid, light, background, accent;
    /* submit */
    float ui_width, ui_height, sigma, mx, my;
    int record_count;
    const struct ombrel_record *records;
    int uses_atlas;
    int probe_count;
    const struct ombrel_probe *probes;
};

/* Rounding differences between drivers stay within one step; anything more
 * is a different picture. */
static const int ombrel_probe_tolerance = 1;

/* The atlas of the text scenarios: 16 x 16 RGBA, a colour ramp with an
 * opaque disc in the middle and a transparent ring around it. */
static const int ombrel_atlas_size = 16;

static void ombrel_atlas_pixels(unsigned char *rgba) {
    for (int y = 0; y < ombrel_atlas_size; y++)
        for (int x = 0; x < ombrel_atlas_size; x++, rgba += 4) {
            int dx = 2 * x - 15, dy = 2 * y - 15;
            int d2 = dx * dx + dy * dy;
            rgba[0] = (unsigned char)(x * 17);
            rgba[1] = (unsigned char)(y * 17);
            rgba[2] = (unsigned char)(d2 < 100 ? 255 : 64);
            rgba[3] = (unsigned char)(d2 < 100 ? 255 : d2 < 196 ? 0 : 128);
        }
}

/* A filled rounded rectangle: kind 1, rect, opaque ink, radii, bounds grown
 * by the 2-unit fringe. */
#define OMBREL_FILL(x, y, w, h, r, g, b, radius)                                                   \
    {                                                                                              \
        {                                                                                          \
            {0, 1.0f}, {1, x}, {2, y}, {3, w}, {4, h}, {6, r}, {7, g}, {8, b}, {9, 1.0f},          \
                {18, (x)-2.0f}, {19, (y)-2.0f}, {20, (w) + 4.0f}, {21, (h) + 4.0f}, {28, radius},  \
                {29, radius}, {30, radius}, {31, radius}, {45, 0.0f},                              \
        }                                                                                          \
    }

/* 1: background alone, dark palette with grid; submit draws nothing. */
static const struct ombrel_probe ombrel_probes_background[] = {
    {0, 0, {20, 30, 38, 255}},      {100, 75, {40, 102, 135, 255}}, {199, 149, {29, 51, 67, 255}},
    {32, 32, {28, 51, 67, 255}},    {50, 120, {39, 99, 131, 255}},  {150, 20, {35, 91, 121, 255}},
    {128, 128, {46, 94, 122, 255}}, {180, 100, {34, 82, 109, 255}},
};

/* 2: fills, a stroke and a soft shadow in the light palette. Inside an opaque
 * fill or stroke a pixel is the ink itself: 0.9 0.2 0.1 reads 230 51 26. */
static const struct ombrel_record ombrel_records_shapes[] = {
    {{{0, 4.0f},
      {1, 50.0f},
      {2, 35.0f},
      {3, 40.0f},
      {4, 25.0f},
      {5, 8.0f},
      {6, 0.0f},
      {7, 0.0f},
      {8, 0.0f},
      {9, 0.6f},
      {10, 3.0f},
      {11, 4.0f},
      {18, 39.0f},
      {19, 25.0f},
      {20, 68.0f},
      {21, 53.0f}}},
    OMBREL_FILL(10.0f, 10.0f, 40.0f, 30.0f, 0.9f, 0.2f, 0.1f, 6.0f),
    OMBREL_FILL(50.0f, 35.0f, 40.0f, 25.0f, 0.1f, 0.5f, 0.9f, 12.0f),
    {{{0, 3.0f},
      {1, 15.0f},
      {2, 45.0f},
      {3, 25.0f},
      {4, 20.0f},
      {6, 0.1f},
      {7, 0.7f},
      {8, 0.2f},
      {9, 1.0f},
      {10, 2.0f},
      {11, 0.5f},
      {18, 11.0f},
      {19, 41.0f},
      {20, 33.0f},
      {21, 28.0f},
      {28, 4.0f}}},
};

static const struct ombrel_probe ombrel_probes_shapes[] = {
    {60, 100, {230, 51, 26, 255}},   {25, 125, {230, 51, 26, 255}},
    {140, 55, {26, 128, 230, 255}},  {120, 45, {26, 128, 230, 255}},
    {101, 70, {226, 201, 189, 255}}, {175, 35, {121, 106, 99, 255}},
    {30, 45, {26, 178, 51, 255}},    {55, 40, {249, 236, 230, 255}},
    {80, 55, {26, 178, 51, 255}},    {190, 140, {250, 244, 242, 255}},
    {20, 131, {252, 225, 212, 255}}, {100, 10, {246, 225, 215, 255}},
};

/* 3: a frosted glass panel over two fills, a backdrop refresh, and a second
 * panel that refracts the first; (135, 50) sees the first panel through the
 * second, which it only can after the refresh. */
static const struct ombrel_record ombrel_records_glass[] = {
    OMBREL_FILL(5.0f, 5.0f, 45.0f, 65.0f, 0.95f, 0.75f, 0.1f, 0.0f),
    OMBREL_FILL(55.0f, 20.0f, 40.0f, 40.0f, 0.1f, 0.2f, 0.8f, 20.0f),
    {{{0, 0.0f},   {1, 30.0f},  {2, 15.0f},  {3, 45.0f},  {4, 40.0f}, {5, 6.0f},   {6, 1.0f},
      {7, 1.0f},   {8, 1.0f},   {9, 1.0f},   {10, 20.0f}, {11, 1.5f}, {18, 28.0f}, {19, 13.0f},
      {20, 49.0f}, {21, 44.0f}, {22, 0.8f},  {23, 6.0f},  {24, 0.3f}, {25, 0.15f}, {26, 0.2f},
      {28, 10.0f}, {29, 10.0f}, {30, 10.0f}, {31, 10.0f}, {36, 1.0f}, {37, 1.0f},  {38, 1.0f},
      {39, 0.6f},  {40, 0.0f},  {41, 0.0f},  {42, 0.0f},  {43, 0.3f}}},
    {{{0, 9.0f}}},
    {{{0, 0.0f},  {1, 60.0f}, {2, 45.0f}, {3, 30.0f},  {4, 25.0f},  {5, 4.0f},   {6, 0.9f},
      {7, 0.95f}, {8, 1.0f},  {9, 0.9f},  {18, 58.0f}, {19, 43.0f}, {20, 34.0f}, {21, 29.0f},
      {22, 0.0f}, {23, 8.0f}, {25, 0.1f}, {28, 6.0f},  {29, 6.0f},  {30, 6.0f},  {31, 6.0f},
      {36, 1.0f}, {37, 1.0f}, {38, 1.0f}, {39, 0.5f}}},
};

static const struct ombrel_probe ombrel_probes_glass[] = {
    {20, 20, {242, 191, 26, 255}},   {20, 130, {242, 191, 26, 255}}, {75, 85, {161, 93, 143, 255}},
    {110, 100, {158, 87, 141, 255}}, {62, 112, {242, 191, 26, 255}}, {100, 60, {160, 82, 136, 255}},
    {130, 40, {157, 112, 145, 255}}, {148, 50, {45, 68, 208, 255}},  {135, 50, {160, 88, 137, 255}},
    {175, 75, {26, 51, 204, 255}},   {122, 28, {131, 62, 108, 255}}, {60, 90, {245, 238, 243, 255}},
    {150, 140, {77, 54, 93, 255}},
};

/* 4: an image and a mask glyph from the atlas inside a rounded clip. */
static const struct ombrel_record ombrel_records_text[] = {
    {{{0, 10.0f},
      {1, 20.0f},
      {2, 10.0f},
      {3, 60.0f},
      {4, 55.0f},
      {28, 15.0f},
      {29, 15.0f},
      {30, 15.0f}}},
    {{{0, 2.0f},
      {1, 15.0f},
      {2, 5.0f},
      {3, 40.0f},
      {4, 40.0f},
      {6, 1.0f},
      {7, 1.0f},
      {8, 1.0f},
      {9, 1.0f},
      {10, 1.0f},
      {15, 1.0f},
      {16, 1.0f},
      {18, 15.0f},
      {19, 5.0f},
      {20, 40.0f},
      {21, 40.0f}}},
    {{{0, 2.0f},
      {1, 50.0f},
      {2, 35.0f},
      {3, 32.0f},
      {4, 32.0f},
      {6, 0.9f},
      {7, 0.1f},
      {8, 0.6f},
      {9, 1.0f},
      {15, 1.0f},
      {16, 1.0f},
      {18, 50.0f},
      {19, 35.0f},
      {20, 32.0f},
      {21, 32.0f}}},
    {{{0, 11.0f}}},
};

static const struct ombrel_probe ombrel_probes_text[] = {
    {70, 100, {129, 126, 255, 255}}, {50, 130, {187, 243, 206, 255}},
    {35, 65, {198, 232, 213, 255}},  {90, 120, {188, 212, 187, 255}},
    {132, 86, {182, 239, 202, 255}}, {132, 52, {230, 26, 153, 255}},
    {104, 80, {214, 216, 133, 255}}, {150, 80, {182, 239, 201, 255}},
    {45, 134, {187, 243, 206, 255}}, {160, 120, {198, 233, 212, 255}},
    {10, 140, {200, 241, 215, 255}}, {180, 20, {176, 234, 197, 255}},
};

#define OMBREL_COUNT(a) ((int)(sizeof(a) / sizeof((a)[0])))

static const struct ombrel_scenario ombrel_scenarios[] = {
    {"background", 200, 150, 3.5f, 1, 0, 0x203040, 0x40C0FF, 100.0f, 75.0f, 0.0f, 0.0f, 0.0f, 0, 0,
     0, OMBREL_COUNT(ombrel_probes_background), ombrel_probes_background},
    {"shapes", 200, 150, 0.0f, 0, 1, 0xE0E8F0, 0xFF8040, 100.0f, 75.0f, 0.0f, 0.0f, 0.0f,
     OMBREL_COUNT(ombrel_records_shapes), ombrel_records_shapes, 0,
     OMBREL_COUNT(ombrel_probes_shapes), ombrel_probes_shapes},
    {"glass", 200, 150, 1.0f, 0, 0, 0x304060, 0xFF40A0, 100.0f, 75.0f, 8.0f, 40.0f, 30.0f,
     OMBREL_COUNT(ombrel_records_glass), ombrel_records_glass, 0, OMBREL_COUNT(ombrel_probes_glass),
     ombrel_probes_glass},
    {"text", 200, 150, 2.0f, 1, 1, 0x708090, 0x20FF60, 100.0f, 75.0f, 0.0f, 0.0f, 0.0f,
     OMBREL_COUNT(ombrel_records_text), ombrel_records_text, 1, OMBREL_COUNT(ombrel_probes_text),
     ombrel_probes_text},
};

static const int ombrel_scenario_count = OMBREL_COUNT(ombrel_scenarios);

/* Writes the scenario's records into `out` (record_count records of
 * OMBREL_RECORD_FLOATS floats), every slot 0 except the ones listed; the
 * atlas texture name goes, as integer bits, into slot 17 of every text record
 * (kind 2). */
static void ombrel_scenario_records(const struct ombrel_scenario *s, float *out, int atlas) {
    memset(out, 0, sizeof(float) * OMBREL_RECORD_FLOATS * (size_t)s->record_count);
    for (int i = 0; i < s->record_count; i++, out += OMBREL_RECORD_FLOATS) {
        const struct ombrel_slot *slots = s->records[i].slots;
        for (int k = 0; k < OMBREL_MAX_SET_SLOTS && (k == 0 || slots[k].slot != 0); k++)
            out[slots[k].slot] = slots[k].value;
        if ((int)out[0] == 2) memcpy(&out[17], &atlas, sizeof atlas);
    }
}

/* Whether the probe's pixel in readPixels output `pixels` of a picture
 * `width` wide is within ombrel_probe_tolerance in every channel. */
static int ombrel_probe_matches(const struct ombrel_probe *p, const unsigned char *pixels,
                                int width) {
    const unsigned char *c = &pixels[((size_t)p->y * width + p->x) * 4];
    for (int k = 0; k < 4; k++)
        if (abs(c[k] - p->rgba[k]) > ombrel_probe_tolerance) return 0;
    return 1;
}

#endif
