// Client textures and readback: createTexture, upload, deleteTexture and
// readPixels, their refusals, their pixel layout, and the host's pixel-store
// state.
#include "failures.h"
#include "renderer.h"

#include <cstring>

namespace {

const char *const state_exception = "java.lang.IllegalStateException";
constexpr int width = 16, height = 8; // the default framebuffer

class Textures : public RendererTest, public ::testing::WithParamInterface<Profile> {
  protected:
    void SetUp() override {
        RendererTest::SetUp();
        start(GetParam(), 4, 5, RecorderKind::lookup, width, height);
        attach_ok();
    }

    // The texture's level-0 texels, read through a host framebuffer.
    std::vector<unsigned char> texels(GLuint texture, int w, int h) {
        GLuint fbo = 0;
        gl.glGenFramebuffers(1, &fbo);
        gl.glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        gl.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
        std::vector<unsigned char> out = host_read(fbo, GL_COLOR_ATTACHMENT0, 0, 0, w, h);
        gl.glDeleteFramebuffers(1, &fbo);
        return out;
    }
};

GLint texture_parameter(GLuint texture, GLenum pname, bool level) {
    GLint value = 0, bound = 0;
    gl.glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    if (level)
        gl.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, pname, &value);
    else
        gl.glGetTexParameteriv(GL_TEXTURE_2D, pname, &value);
    gl.glBindTexture(GL_TEXTURE_2D, bound);
    return value;
}

TEST_F(RendererTest, CreateTextureWhenClosedIsRefusedWithoutGl) {
    start(Profile::core);
    rec_reset();
    EXPECT_EQ(native::create_texture(4, 4), 0);
    expect_thrown(state_exception, failure::invalid_texture);
    attach_ok();
    native::close();
    rec_reset();
    EXPECT_EQ(native::create_texture(4, 4), 0);
    expect_thrown(state_exception, failure::invalid_texture);
    EXPECT_EQ(rec_size(), 0);
}

TEST_P(Textures, CreateTextureRefusesEmptySizesWithoutGl) {
    const int sizes[][2] = {{0, 4}, {4, 0}, {4, -1}, {-3, 4}};
    for (const auto &size : sizes) {
        rec_reset();
        EXPECT_EQ(native::create_texture(size[0], size[1]), 0);
        expect_thrown(state_exception, failure::invalid_texture);
        EXPECT_EQ(rec_size(), 0) << size[0] << " x " << size[1];
    }
}

TEST_P(Textures, CreateTextureGivesLinearClampedRgba8Storage) {
    GLuint id = (GLuint)native::create_texture(5, 3);
    expect_no_exception();
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(gl.glIsTexture(id));
    EXPECT_EQ(texture_parameter(id, GL_TEXTURE_WIDTH, true), 5);
    EXPECT_EQ(texture_parameter(id, GL_TEXTURE_HEIGHT, true), 3);
    EXPECT_EQ(texture_parameter(id, GL_TEXTURE_INTERNAL_FORMAT, true), GL_RGBA8);
    EXPECT_EQ(texture_parameter(id, GL_TEXTURE_MIN_FILTER, false), GL_LINEAR);
    EXPECT_EQ(texture_parameter(id, GL_TEXTURE_MAG_FILTER, false), GL_LINEAR);
    EXPECT_EQ(texture_parameter(id, GL_TEXTURE_WRAP_S, false), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(texture_parameter(id, GL_TEXTURE_WRAP_T, false), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR);

    native::delete_texture((jint)id);
    EXPECT_FALSE(gl.glIsTexture(id));
    native::delete_texture(0);
    EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_P(Textures, CloseLeavesClientTexturesToJava) {
    GLuint id = (GLuint)native::create_texture(2, 2);
    native::close();
    EXPECT_TRUE(gl.glIsTexture(id));
}

// Sizes up to the context's limit are made; one more is refused before the
// driver sees it (Mesa aborts the process on some oversized requests).
TEST_P(Textures, SizesBeyondTheTextureLimitAreRefused) {
    GLint limit = 0;
    gl.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    jint id = native::create_texture(limit, 1);
    expect_no_exception();
    EXPECT_NE(id, 0);
    native::delete_texture(id);
    for (const auto &[width, height] : {std::pair{limit + 1, 1}, std::pair{1, limit + 1}}) {
        EXPECT_EQ(native::create_texture(width, height), 0);
        expect_thrown("java.lang.IllegalStateException", failure::texture_too_large);
    }
    EXPECT_EQ(native::gl_error(), (jint)GL_NO_ERROR);
}

TEST_P(Textures, UploadWritesRowsLowestFirstWhateverTheHostUnpackState) {
    GLuint id = (GLuint)native::create_texture(4, 4);
    std::vector<unsigned char> zero(4 * 4 * 4, 0);
    native::upload((jint)id, 0, 0, 4, 4, direct_byte_buffer(zero.data(), (long)zero.size()));
    // Unpack settings that would change the layout if they applied.
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    gl.glPixelStorei(GL_UNPACK_ROW_LENGTH, 7);
    gl.glPixelStorei(GL_UNPACK_SKIP_PIXELS, 1);
    gl.glPixelStorei(GL_UNPACK_SKIP_ROWS, 1);
    // A 3 x 2 block at (1, 2); rows of 12 bytes, which alignment 8 would pad.
    unsigned char block[3 * 2 * 4];
    for (int k = 0; k < (int)sizeof block; k++)
        block[k] = (unsigned char)(10 + k);
    native::upload((jint)id, 1, 2, 3, 2, direct_byte_buffer(block, sizeof block));
    expect_no_exception();
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl.glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    gl.glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);

    std::vector<unsigned char> got = texels(id, 4, 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++) {
            bool inside = x >= 1 && x < 4 && y >= 2 && y < 4;
            for (int c = 0; c < 4; c++) {
                int want = inside ? block[((y - 2) * 3 + (x - 1)) * 4 + c] : 0;
                EXPECT_EQ(got[(y * 4 + x) * 4 + c], want) << "texel " << x << ", " << y;
            }
        }
}

TEST_P(Textures, UploadNeedsADirectBufferOfTheWholeRectangle) {
    GLuint id = (GLuint)native::create_texture(4, 4);
    std::vector<unsigned char> memory(4 * 4 * 4 + 8, 0x7F);
    struct Case {
        const char *what;
        int w, h;
        long bytes;
    };
    const Case refused[] = {{"one byte short", 4, 4, 63},
                            {"zero width", 0, 4, 64},
                            {"zero height", 4, 0, 64},
                            {"negative height", 4, -4, 64},
                            {"size overflowing 32 bits", 65536, 65536, 64}};
    for (const Case &k : refused) {
        SCOPED_TRACE(k.what);
        rec_reset();
        native::upload((jint)id, 0, 0, k.w, k.h, direct_byte_buffer(memory.data(), k.bytes));
        expect_thrown(state_exception, failure::invalid_upload);
        EXPECT_EQ(rec_size(), 0);
    }
    rec_reset();
    native::upload((jint)id, 0, 0, 4, 4, heap_byte_buffer(64));
    expect_thrown(state_exception, failure::invalid_upload);
    EXPECT_EQ(rec_size(), 0);
    for (long bytes : {64L, 72L}) {
        native::upload((jint)id, 0, 0, 4, 4, direct_byte_buffer(memory.data(), bytes));
        expect_no_exception();
    }
    EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR);
}

// Bottom half of the default framebuffer red, top half blue.
void paint_default_framebuffer() {
    gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
    gl.glClearColor(0, 0, 1, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    gl.glEnable(GL_SCISSOR_TEST);
    gl.glScissor(0, 0, width, height / 2);
    gl.glClearColor(1, 0, 0, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    gl.glDisable(GL_SCISSOR_TEST);
}

TEST_P(Textures, ReadPixelsReadsTheDefaultFramebufferLowestRowFirst) {
    paint_default_framebuffer();
    HostTarget other = host_target(width, height, 0, 1, 0, 1);
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, other.fbo);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 8);
    std::vector<unsigned char> memory(width * height * 4, 0);
    native::read_pixels(width, height, direct_byte_buffer(memory.data(), (long)memory.size()));
    expect_no_exception();
    const unsigned char red[4] = {255, 0, 0, 255}, blue[4] = {0, 0, 255, 255};
    EXPECT_EQ(memcmp(&memory[0], red, 4), 0) << "the first row must be the lowest";
    EXPECT_EQ(memcmp(&memory[(height - 1) * width * 4], blue, 4), 0);

    GLint read = 0, align = 0, route = 0;
    gl.glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    gl.glGetIntegerv(GL_PACK_ALIGNMENT, &align);
    EXPECT_EQ(read, (GLint)other.fbo);
    EXPECT_EQ(align, 8);
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    gl.glGetIntegerv(GL_READ_BUFFER, &route);
    EXPECT_EQ(route, GL_BACK) << "the default framebuffer's read buffer is left at GL_BACK";
}

TEST_P(Textures, ReadPixelsNeedsADirectBufferOfTheWholeRectangle) {
    std::vector<unsigned char> memory(width * height * 4, 0);
    struct Case {
        const char *what;
        int w, h;
        long bytes;
        const char *message;
    };
    const Case refused[] = {
        {"one byte short", width, height, width * height * 4 - 1, failure::screenshot_too_small},
        {"size overflowing 32 bits", 65536, 65536, (long)memory.size(), failure::size_out_of_range},
        {"negative times negative", -65536, -65536, (long)memory.size(),
         failure::size_out_of_range},
        {"zero width", 0, height, 0, failure::size_out_of_range}};
    memory.assign(memory.size(), 0xAB);
    for (const Case &k : refused) {
        SCOPED_TRACE(k.what);
        rec_reset();
        native::read_pixels(k.w, k.h, direct_byte_buffer(memory.data(), k.bytes));
        expect_thrown(state_exception, k.message);
        EXPECT_EQ(rec_size(), 0);
    }
    EXPECT_EQ(memory[0], 0xAB) << "a refused read wrote to the buffer";
    rec_reset();
    native::read_pixels(width, height, heap_byte_buffer(width * height * 4));
    expect_thrown(state_exception, failure::screenshot_too_small);
    EXPECT_EQ(rec_size(), 0);
    rec_reset();
    jobject whole = direct_byte_buffer(memory.data(), (long)memory.size());
    native::read_pixels(width, height, read_only_view(whole));
    expect_thrown(state_exception, failure::read_only_screenshot);
    EXPECT_EQ(rec_size(), 0);
}

// A context made without a surface has no default framebuffer: readPixels
// refuses and background draws nothing, neither leaves a GL error behind, and
// the host's framebuffer bindings stay.
TEST_F(RendererTest, WithoutADefaultFramebufferReadPixelsRefusesAndBackgroundDrawsNothing) {
    start(Profile::core);
    attach_ok();
    HostTarget host = host_target(4, 4, 0, 1, 0, 1);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, host.fbo);
    std::vector<unsigned char> memory(4 * 4 * 4, 0xAB);
    native::read_pixels(4, 4, direct_byte_buffer(memory.data(), (long)memory.size()));
    expect_thrown(state_exception, failure::no_default_framebuffer);
    native::background(4, 4, 0, 1, 1, 0x336699, 0x112233);
    expect_no_exception();
    EXPECT_EQ(gl.glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_EQ(get_int(GL_READ_FRAMEBUFFER_BINDING), (GLint)host.fbo);
    EXPECT_EQ(get_int(GL_DRAW_FRAMEBUFFER_BINDING), (GLint)host.fbo);
    EXPECT_EQ(memory[0], 0xAB);
    const std::vector<unsigned char> green = {0, 255, 0, 255};
    EXPECT_EQ(host_read(host.fbo, GL_COLOR_ATTACHMENT0, 0, 0, 1, 1), green);
}

// A host may leave pack row length and skips set; the read still may not
// write past width x height x 4 bytes, and either reads tightly packed rows
// or refuses.
TEST_P(Textures, ReadPixelsNeverWritesPastTheRectangle) {
    paint_default_framebuffer();
    const int w = 4, h = 4;
    std::vector<unsigned char> tight = host_read(0, GL_BACK, 0, 0, w, h);
    gl.glPixelStorei(GL_PACK_ROW_LENGTH, width);
    gl.glPixelStorei(GL_PACK_SKIP_PIXELS, 2);
    gl.glPixelStorei(GL_PACK_SKIP_ROWS, 1);
    std::vector<unsigned char> memory(w * h * 4 + 4096, 0xCD);
    native::read_pixels(w, h, direct_byte_buffer(memory.data(), w * h * 4));
    Thrown refused = take_exception();
    for (size_t k = w * h * 4; k < memory.size(); k++)
        ASSERT_EQ(memory[k], 0xCD) << "byte " << k << " past the rectangle was written";
    if (!refused.pending) {
        EXPECT_EQ(std::vector<unsigned char>(memory.begin(), memory.begin() + w * h * 4), tight);
    }
    GLint row = 0, skip_pixels = 0, skip_rows = 0;
    gl.glGetIntegerv(GL_PACK_ROW_LENGTH, &row);
    gl.glGetIntegerv(GL_PACK_SKIP_PIXELS, &skip_pixels);
    gl.glGetIntegerv(GL_PACK_SKIP_ROWS, &skip_rows);
    EXPECT_EQ(row, width);
    EXPECT_EQ(skip_pixels, 2);
    EXPECT_EQ(skip_rows, 1);
}

INSTANTIATE_TEST_SUITE_P(Profiles, Textures, ::testing::Values(Profile::core, Profile::compat),
                         [](const auto &info) { return profile_name(info.param); });

} // namespace
