// Faults that the fuzzers and sanitizers found in the library, each kept as
// the smallest input that shows it. A test here fails until the library is
// fixed; under ASan/UBSan the sanitizer report names the faulty line.
#include "renderer.h"

#include <limits.h>
#include <string.h>

namespace {

const char *const exception_type = "java.lang.IllegalStateException";

// A direct byte buffer of `size` bytes at the start of `memory`; the bytes
// after it are a canary that no call may write.
struct GuardedBytes {
    std::vector<unsigned char> memory;
    size_t size;

    GuardedBytes(size_t buffer_size, size_t canary) : memory(buffer_size + canary, 0xA5) {
        size = buffer_size;
    }
    jobject buffer() { return direct_byte_buffer(memory.data(), (long)size); }
    size_t overwritten() const {
        size_t n = 0;
        for (size_t k = size; k < memory.size(); k++)
            n += memory[k] != 0xA5;
        return n;
    }
};

// readPixels and upload compare the buffer's capacity with width x height x 4
// computed as (jlong)width * height * 4. For sizes near INT_MAX the last
// multiplication leaves the 64-bit range (undefined behaviour); on x86-64 it
// wraps to a negative byte count that every capacity passes. readPixels then
// lets glReadPixels write a row of the framebuffer into a 4-byte buffer.
TEST_F(RendererTest, ReadPixelsRefusesASizeWhoseByteCountExceeds64Bits) {
    start(Profile::core, 4, 5, RecorderKind::lookup, 8, 1);
    attach_ok();
    GuardedBytes pixels(4, 252);
    native::read_pixels(INT_MAX, INT_MAX, pixels.buffer());
    expect_thrown(exception_type, "Screenshot buffer is too small");
    EXPECT_EQ(pixels.overwritten(), 0u) << "readPixels wrote past the 4-byte buffer";
}

TEST_F(RendererTest, UploadRefusesASizeWhoseByteCountExceeds64Bits) {
    start(Profile::core);
    attach_ok();
    jint texture = native::create_texture(4, 4);
    expect_no_exception();
    GuardedBytes pixels(4, 0);
    native::upload(texture, 0, 0, INT_MAX, INT_MAX, pixels.buffer());
    expect_thrown(exception_type, "Invalid texture upload buffer");
    native::delete_texture(texture);
}

} // namespace
