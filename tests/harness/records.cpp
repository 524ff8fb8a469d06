#include "records.h"

#include "jvm.h"

#include <algorithm>

jobject Stream::buffer(long extra) {
    // One spare float keeps the address valid for an empty stream.
    memory.assign(floats.size() + std::max(extra, 0L) + 1, 0.0f);
    std::copy(floats.begin(), floats.end(), memory.begin());
    return direct_float_buffer(memory.data(), (long)floats.size() + extra);
}

Stream every_pass(uint32_t atlas) {
    Stream s;
    s.add(record(fill_kind).rect(1, 1, 8, 8).ink(0.5f, 0, 0, 0.5f))
        .add(push(2, 2, 20, 16, 3))
        .add(record(glass_kind).rect(4, 4, 10, 10).ink(1, 1, 1, 0.5f))
        .add(record(refresh_kind))
        .add(record(text_kind).rect(6, 6, 4, 4).ink(1, 1, 1, 1).atlas(atlas))
        .add(record(pop_kind));
    return s;
}
