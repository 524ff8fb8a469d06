// Command records for submit, built slot by slot, and a stream of them in a
// direct float buffer.
#ifndef OMBREL_TEST_RECORDS_H
#define OMBREL_TEST_RECORDS_H

#include <jni.h>
#include <stdint.h>
#include <string.h>
#include <vector>

enum Kind {
    glass_kind = 0,
    fill_kind = 1,
    text_kind = 2,
    refresh_kind = 9,
    push_kind = 10,
    pop_kind = 11
};

struct Record {
    float s[64] = {};

    // The record's rectangle (slots 1-4) and scissor bounds (18-21) in UI units.
    Record &rect(float x, float y, float w, float h) {
        s[1] = x, s[2] = y, s[3] = w, s[4] = h;
        return bounds(x, y, w, h);
    }
    Record &bounds(float x, float y, float w, float h) {
        s[18] = x, s[19] = y, s[20] = w, s[21] = h;
        return *this;
    }
    Record &ink(float r, float g, float b, float a) {
        s[6] = r, s[7] = g, s[8] = b, s[9] = a;
        return *this;
    }
    // Slot 17 carries a texture name as its bit pattern.
    Record &atlas(uint32_t texture) {
        memcpy(&s[17], &texture, sizeof texture);
        return *this;
    }
    Record &tex_rect(float u0, float v0, float u1, float v1) {
        s[13] = u0, s[14] = v0, s[15] = u1, s[16] = v1;
        return *this;
    }
};

inline Record record(float kind) {
    Record r;
    r.s[0] = kind;
    return r;
}

// A shaped clip push of a rectangle with round corners of `radius`.
inline Record push(float x, float y, float w, float h, float radius) {
    Record r = record(push_kind);
    r.s[1] = x, r.s[2] = y, r.s[3] = w, r.s[4] = h;
    r.s[28] = r.s[29] = r.s[30] = r.s[31] = radius;
    return r;
}

struct Stream {
    std::vector<float> floats;
    // What the last buffer() points at; valid until the next buffer().
    std::vector<float> memory;

    Stream &add(const Record &r) {
        floats.insert(floats.end(), r.s, r.s + 64);
        return *this;
    }
    int count() const { return (int)(floats.size() / 64); }
    // A direct FloatBuffer over the records, optionally with `extra` more or
    // fewer floats of capacity than the records fill.
    jobject buffer(long extra = 0);
};

// A 64 x 48 target's worth of every pass submit has: a fill, glass inside a
// shaped clip, a backdrop refresh, text from `atlas`, and the clip's pop.
Stream every_pass(uint32_t atlas);

#endif
