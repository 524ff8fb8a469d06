// Command records for submit, built slot by slot, and a stream of them in a
// direct float buffer.
#ifndef OMBREL_TEST_RECORDS_H
#define OMBREL_TEST_RECORDS_H

#include "command-records.h"

#include <algorithm>
#include <initializer_list>
#include <jni.h>
#include <stdint.h>
#include <string.h>
#include <vector>

#define OMBREL_TEST_VALUE(name, value) name = value,
#define OMBREL_TEST_KIND(name, value) name##_kind = value,
#define OMBREL_TEST_SLOT(name, first, count) name##_slot = first,
enum RecordLimit { OMBREL_RECORD_LIMITS(OMBREL_TEST_VALUE) };
enum Kind {
    OMBREL_RECORD_KINDS(OMBREL_TEST_KIND) push_kind = clip_push_kind,
    pop_kind = clip_pop_kind
};
enum Slot { OMBREL_RECORD_SLOTS(OMBREL_TEST_SLOT) };
#undef OMBREL_TEST_VALUE
#undef OMBREL_TEST_KIND
#undef OMBREL_TEST_SLOT

struct Record {
    float s[record_floats] = {};

    // Consecutive slots from `first`.
    Record &set(int first, std::initializer_list<float> values) {
        std::copy(values.begin(), values.end(), s + first);
        return *this;
    }
    // The record's rectangle and scissor bounds in UI units.
    Record &rect(float x, float y, float w, float h) {
        set(rect_slot, {x, y, w, h});
        return bounds(x, y, w, h);
    }
    Record &bounds(float x, float y, float w, float h) { return set(bounds_slot, {x, y, w, h}); }
    Record &ink(float r, float g, float b, float a) { return set(ink_slot, {r, g, b, a}); }
    // The texture slot carries a texture name as its bit pattern.
    Record &atlas(uint32_t texture) {
        memcpy(&s[texture_slot], &texture, sizeof texture);
        return *this;
    }
    Record &tex_rect(float u0, float v0, float u1, float v1) {
        return set(tex_rect_slot, {u0, v0, u1, v1});
    }
};

inline Record record(float kind) {
    Record r;
    r.s[0] = kind;
    return r;
}

// A shaped clip push of a rectangle with round corners of `radius`.
inline Record push(float x, float y, float w, float h, float radius) {
    return record(push_kind)
        .set(rect_slot, {x, y, w, h})
        .set(corner_radii_slot, {radius, radius, radius, radius});
}

struct Stream {
    std::vector<float> floats;
    // What the last buffer() points at; valid until the next buffer().
    std::vector<float> memory;

    Stream &add(const Record &r) {
        floats.insert(floats.end(), r.s, r.s + record_floats);
        return *this;
    }
    int count() const { return (int)(floats.size() / record_floats); }
    // A direct FloatBuffer over the records, optionally with `extra` more or
    // fewer floats of capacity than the records fill.
    jobject buffer(long extra = 0);
};

// A 64 x 48 target's worth of every pass submit has: a fill, glass inside a
// shaped clip, a backdrop refresh, text from `atlas`, and the clip's pop.
Stream every_pass(uint32_t atlas);

#endif
