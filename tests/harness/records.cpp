#include "records.h"

#include "jvm.h"

#include <algorithm>

jobject Stream::buffer(long extra) {
    // One spare float keeps the address valid for an empty stream.
    memory.assign(floats.size() + std::max(extra, 0L) + 1, 0.0f);
    std::copy(floats.begin(), floats.end(), memory.begin());
    return direct_float_buffer(memory.data(), (long)floats.size() + extra);
}
