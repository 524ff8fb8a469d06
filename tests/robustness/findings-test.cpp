// Faults that the fuzzers and sanitizers found in the library, each kept as
// the smallest input that showed it, so that none can come back unseen.
// Under ASan/UBSan (scripts/sanitize.sh) the undefined-behaviour cases are
// caught at the faulty line as well.
#include "failures.h"
#include "renderer.h"

#include <limits.h>
#include <stdint.h>
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
    expect_thrown(exception_type, failure::size_out_of_range);
    EXPECT_EQ(pixels.overwritten(), 0u) << "readPixels wrote past the 4-byte buffer";
}

TEST_F(RendererTest, UploadRefusesASizeWhoseByteCountExceeds64Bits) {
    start(Profile::core);
    attach_ok();
    jint texture = native::create_texture(4, 4);
    expect_no_exception();
    GuardedBytes pixels(4, 0);
    native::upload(texture, 0, 0, INT_MAX, INT_MAX, pixels.buffer());
    expect_thrown(exception_type, failure::invalid_upload);
    native::delete_texture(texture);
}

// A FloatBuffer view of a ByteBuffer sliced at an odd offset is a legal Java
// FloatBuffer whose address is not 4-byte aligned. submit reads its records
// through a const float pointer (clips_balance, draw_records), so every
// slot read is a misaligned load: undefined behaviour that UBSan reports and
// that only happens to work on x86. Either drawing or refusing the buffer is
// fine; reading it as float lvalues is not.
TEST_F(RendererTest, SubmitReadsAMisalignedCommandBufferWithoutMisalignedLoads) {
    start(Profile::core);
    attach_ok();
    HostTarget target = host_target(8, 8, 0, 0, 0, 1);
    std::vector<unsigned char> memory(64 * 4 + 1, 0);
    float record[64] = {};
    record[0] = 1;
    record[3] = record[4] = record[20] = record[21] = 8;
    record[6] = record[9] = 1;
    memcpy(memory.data() + 1, record, sizeof record);
    JNIEnv *e = jni();
    jobject bytes = direct_byte_buffer(memory.data() + 1, 64 * 4);
    jclass byte_buffer = e->FindClass("java/nio/ByteBuffer");
    jclass byte_order = e->FindClass("java/nio/ByteOrder");
    jobject order = e->CallStaticObjectMethod(
        byte_order, e->GetStaticMethodID(byte_order, "nativeOrder", "()Ljava/nio/ByteOrder;"));
    ASSERT_FALSE(e->ExceptionCheck());
    bytes = e->CallObjectMethod(
        bytes, e->GetMethodID(byte_buffer, "order", "(Ljava/nio/ByteOrder;)Ljava/nio/ByteBuffer;"),
        order);
    ASSERT_FALSE(e->ExceptionCheck());
    jobject floats = e->CallObjectMethod(
        bytes, e->GetMethodID(byte_buffer, "asFloatBuffer", "()Ljava/nio/FloatBuffer;"));
    ASSERT_FALSE(e->ExceptionCheck());
    ASSERT_EQ((uintptr_t)e->GetDirectBufferAddress(floats) % 4, 1u);

    native::submit(floats, 1, (jint)target.fbo, GL_COLOR_ATTACHMENT0, 8, 8, 8, 8, 0, 0, 0);
    Thrown t = take_exception();
    if (t.pending) {
        EXPECT_EQ(t.message, failure::invalid_parameters);
    } else {
        std::vector<unsigned char> pixel = host_read(target.fbo, GL_COLOR_ATTACHMENT0, 4, 4, 1, 1);
        EXPECT_EQ(pixel[0], 255) << "the record was not drawn";
    }
    host_target_delete(&target);
}

// upload binds the name it is given on unit 0 and calls glTexSubImage2D on
// whatever is bound there. In a core profile context binding a name that is
// no texture (never made, or deleted) fails with GL_INVALID_OPERATION, the
// host's own texture stays bound, and the pixels land in the host's texture.
TEST_F(RendererTest, UploadToANameThatIsNoTextureLeavesTheHostsTextureAlone) {
    start(Profile::core);
    attach_ok();
    HostTarget host_texture = host_target(4, 4, 0, 0, 1, 1);
    gl.glActiveTexture(GL_TEXTURE0);
    gl.glBindTexture(GL_TEXTURE_2D, host_texture.texture);
    std::vector<unsigned char> before =
        host_read(host_texture.fbo, GL_COLOR_ATTACHMENT0, 0, 0, 4, 4);

    std::vector<unsigned char> pixels(4 * 4 * 4, 0x80);
    native::upload(1 << 20, 0, 0, 4, 4, direct_byte_buffer(pixels.data(), (long)pixels.size()));
    expect_thrown(exception_type, failure::not_a_texture);
    EXPECT_EQ(host_read(host_texture.fbo, GL_COLOR_ATTACHMENT0, 0, 0, 4, 4), before)
        << "upload wrote into the host's texture on unit 0";
    gl.glBindTexture(GL_TEXTURE_2D, 0);
    host_target_delete(&host_texture);
}

// createTexture hands any positive size to glTexImage2D. Mesa 22 (llvmpipe)
// refuses sizes just above GL_MAX_TEXTURE_SIZE with GL_INVALID_VALUE, but a
// width or height from about 2^25 up smashes its stack and aborts the
// process. A Java caller passing Integer.MAX_VALUE must not take the
// application down: the size has to be refused before GL sees it.
TEST_F(RendererTest, CreateTextureWithAnEnormousWidthDoesNotReachTheDriver) {
    start(Profile::core);
    attach_ok();
    for (const auto &[width, height] : {std::pair{INT_MAX, 1}, std::pair{1, 1 << 25}}) {
        jint name = native::create_texture(width, height);
        Thrown t = take_exception();
        if (t.pending) {
            EXPECT_EQ(t.message, failure::texture_too_large);
            EXPECT_EQ(name, 0);
        } else {
            EXPECT_EQ(gl.glGetError(), (GLenum)GL_INVALID_VALUE);
            gl.glDeleteTextures(1, (GLuint *)&name);
        }
    }
}

} // namespace
