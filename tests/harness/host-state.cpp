#include "host-state.h"

#include "guard.h"

#include <algorithm>
#include <limits.h>
#include <sstream>

namespace {

// The capabilities the guard saves, then some no pass touches, which must stay
// as the host set them too.
#define CAP(name, cap) cap,
const GLenum caps[] = {OMBREL_GUARD_CAPS(CAP) GL_DITHER,
                       GL_POLYGON_OFFSET_FILL,
                       GL_PROGRAM_POINT_SIZE,
                       GL_DEPTH_CLAMP,
                       GL_PRIMITIVE_RESTART,
                       GL_MULTISAMPLE,
                       GL_TEXTURE_CUBE_MAP_SEAMLESS};
#undef CAP

#define QUERY(name, query) query,
const GLenum blend_queries[] = {OMBREL_GUARD_BLEND(QUERY)};
#undef QUERY

void set_enabled(GLenum cap, bool on) {
    if (on)
        gl.glEnable(cap);
    else
        gl.glDisable(cap);
}

// Hands out the input bytes one at a time; 0 once they run out.
struct Bytes {
    const uint8_t *data;
    size_t size, at = 0;
    unsigned next() { return at < size ? data[at++] : 0; }
    bool coin() { return next() & 1; }
    int pick(int n) { return (int)(next() % (unsigned)n); }
    int small() { return (int)(int8_t)next(); }
};

// Scissor boxes from ordinary to the extremes of GLint, so the renderer's
// intersection with the host box is exercised where sums overflow 32 bits.
void apply_scissor(Bytes &b) {
    switch (b.pick(4)) {
    case 0:
        gl.glScissor(b.small(), b.small(), b.next(), b.next());
        break;
    case 1:
        gl.glScissor(INT_MAX - b.small() - 128, INT_MAX - b.small() - 128, INT_MAX, INT_MAX);
        break;
    case 2:
        gl.glScissor(INT_MIN + b.next(), INT_MIN + b.next(), INT_MAX, INT_MAX);
        break;
    default:
        gl.glScissor(b.small(), b.small(), 0, 0);
        break;
    }
}

void apply_routes(const HostScene &s, Bytes &b) {
    gl.glBindFramebuffer(GL_FRAMEBUFFER, s.dual.fbo);
    const GLenum dual_routes[3][2] = {{GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1},
                                      {GL_COLOR_ATTACHMENT0, GL_NONE},
                                      {GL_NONE, GL_COLOR_ATTACHMENT1}};
    gl.glDrawBuffers(2, dual_routes[b.pick(3)]);
    gl.glReadBuffer(b.coin() ? GL_COLOR_ATTACHMENT1 : GL_COLOR_ATTACHMENT0);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, s.single.fbo);
    gl.glDrawBuffer(b.pick(4) ? GL_COLOR_ATTACHMENT0 : GL_NONE);
    gl.glReadBuffer(b.pick(4) ? GL_COLOR_ATTACHMENT0 : GL_NONE);
    if (s.has_default_framebuffer) {
        gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
        gl.glDrawBuffer(b.coin() ? GL_BACK : GL_FRONT);
        gl.glReadBuffer(b.coin() ? GL_BACK : GL_FRONT);
    }
    const GLuint fbos[4] = {0, s.single.fbo, s.dual.fbo, s.multisampled};
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbos[b.pick(4)]);
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, fbos[b.pick(4)]);
}

void apply_textures(const HostScene &s, Bytes &b) {
    for (int unit = 0; unit < 3; unit++) {
        gl.glActiveTexture(GL_TEXTURE0 + unit);
        const GLuint textures[4] = {0, s.textures[0], s.textures[1], s.textures[2]};
        gl.glBindTexture(GL_TEXTURE_2D, textures[b.pick(4)]);
        const GLuint samplers[3] = {0, s.samplers[0], s.samplers[1]};
        gl.glBindSampler(unit, samplers[b.pick(3)]);
    }
    gl.glActiveTexture(GL_TEXTURE0 + b.pick(8));
}

void apply_pixel_store(const HostScene &s, Bytes &b) {
    gl.glBindBuffer(GL_PIXEL_UNPACK_BUFFER, b.coin() ? s.unpack_buffer : 0);
    gl.glBindBuffer(GL_PIXEL_PACK_BUFFER, b.coin() ? s.pack_buffer : 0);
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1 << b.pick(4));
    gl.glPixelStorei(GL_UNPACK_ROW_LENGTH, b.pick(2) * 7);
    gl.glPixelStorei(GL_UNPACK_SKIP_PIXELS, b.pick(2) * 3);
    gl.glPixelStorei(GL_UNPACK_SKIP_ROWS, b.pick(2) * 2);
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 1 << b.pick(4));
    gl.glPixelStorei(GL_PACK_ROW_LENGTH, b.pick(2) * 5);
    gl.glPixelStorei(GL_PACK_SKIP_PIXELS, b.pick(2));
    gl.glPixelStorei(GL_PACK_SKIP_ROWS, b.pick(2));
}

void apply_blending(Bytes &b) {
    for (GLuint buffer = 0; buffer < 2; buffer++) {
        unsigned mask = b.next();
        gl.glColorMaski(buffer, mask & 1, (mask >> 1) & 1, (mask >> 2) & 1, (mask >> 3) & 1);
        if (mask & 16)
            gl.glEnablei(GL_BLEND, buffer);
        else
            gl.glDisablei(GL_BLEND, buffer);
        gl.glBlendFuncSeparatei(buffer, blend_factors[b.pick(9)], blend_factors[b.pick(9)],
                                blend_factors[b.pick(9)], blend_factors[b.pick(9)]);
        gl.glBlendEquationSeparatei(buffer, blend_equations[b.pick(5)], blend_equations[b.pick(5)]);
    }
    gl.glBlendColor(b.pick(5) / 4.0f, 0.25f, 0.5f, 0.75f);
}

void apply_capabilities(const HostScene &s, Bytes &b) {
    for (GLenum cap : caps)
        set_enabled(cap, b.coin());
    unsigned clips = b.next();
    for (int i = 0; i < s.clip_count; i++)
        set_enabled(GL_CLIP_DISTANCE0 + i, (clips >> (i % 8)) & 1);
    if (s.compat) set_enabled(GL_ALPHA_TEST, b.coin());
    if (s.compat) {
        gl.glPolygonMode(GL_FRONT, polygon_modes[b.pick(3)]);
        gl.glPolygonMode(GL_BACK, polygon_modes[b.pick(3)]);
    } else {
        gl.glPolygonMode(GL_FRONT_AND_BACK, polygon_modes[b.pick(3)]);
    }
    gl.glDepthFunc(b.coin() ? GL_GREATER : GL_LESS);
    gl.glCullFace(b.coin() ? GL_FRONT : GL_BACK);
}

void read_bindings(StateReader &r) {
    const struct {
        const char *name;
        GLenum pname;
        int count;
    } bindings[] = {{"program", GL_CURRENT_PROGRAM, 1},
                    {"vertex array", GL_VERTEX_ARRAY_BINDING, 1},
                    {"draw framebuffer", GL_DRAW_FRAMEBUFFER_BINDING, 1},
                    {"read framebuffer", GL_READ_FRAMEBUFFER_BINDING, 1},
                    {"active texture", GL_ACTIVE_TEXTURE, 1},
                    {"unpack buffer", GL_PIXEL_UNPACK_BUFFER_BINDING, 1},
                    {"pack buffer", GL_PIXEL_PACK_BUFFER_BINDING, 1},
                    {"viewport", GL_VIEWPORT, 4},
                    {"scissor box", GL_SCISSOR_BOX, 4},
                    {"polygon mode", GL_POLYGON_MODE, 2},
                    {"depth func", GL_DEPTH_FUNC, 1},
                    {"cull face mode", GL_CULL_FACE_MODE, 1}};
    for (const auto &b : bindings)
        r.ints(b.name, b.pname, b.count);
}

void read_pixel_store(StateReader &r) {
    const GLenum pnames[] = {GL_UNPACK_ALIGNMENT, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_PIXELS,
                             GL_UNPACK_SKIP_ROWS, GL_PACK_ALIGNMENT,    GL_PACK_ROW_LENGTH,
                             GL_PACK_SKIP_PIXELS, GL_PACK_SKIP_ROWS};
    for (GLenum pname : pnames)
        r.ints("pixel store " + std::to_string(pname), pname, 1);
}

void read_blending(StateReader &r) {
    for (GLuint buffer = 0; buffer < 2; buffer++) {
        std::string b = " of draw buffer " + std::to_string(buffer);
        r.indexed("colour mask" + b, GL_COLOR_WRITEMASK, buffer, 4);
        r.add("blend enabled" + b, gl.glIsEnabledi(GL_BLEND, buffer));
        for (GLenum pname : blend_queries)
            r.indexed("blend " + std::to_string(pname) + b, pname, buffer, 1);
    }
    GLfloat colour[4] = {};
    gl.glGetFloatv(GL_BLEND_COLOR, colour);
    r.add("blend colour red x 4", (long long)(colour[0] * 4));
}

void read_capabilities(const HostScene &s, StateReader &r) {
    for (GLenum cap : caps)
        r.add("capability " + std::to_string(cap), gl.glIsEnabled(cap));
    for (int i = 0; i < s.clip_count; i++)
        r.add("clip distance " + std::to_string(i), gl.glIsEnabled(GL_CLIP_DISTANCE0 + i));
    if (s.compat) r.add("alpha test", gl.glIsEnabled(GL_ALPHA_TEST));
}

void read_units(StateReader &r) {
    GLint active = get_int(GL_ACTIVE_TEXTURE);
    for (int unit = 0; unit < 4; unit++) {
        gl.glActiveTexture(GL_TEXTURE0 + unit);
        std::string u = " on unit " + std::to_string(unit);
        r.ints("texture 2D" + u, GL_TEXTURE_BINDING_2D, 1);
        r.ints("sampler" + u, GL_SAMPLER_BINDING, 1);
        if (unit == 0) r.ints("cube map" + u, GL_TEXTURE_BINDING_CUBE_MAP, 1);
    }
    gl.glActiveTexture(active);
}

// The read buffer and the first two draw buffers of each framebuffer the
// host owns, and of the default framebuffer where there is one.
void read_routes(const HostScene &s, StateReader &r) {
    GLint draw = get_int(GL_DRAW_FRAMEBUFFER_BINDING), read = get_int(GL_READ_FRAMEBUFFER_BINDING);
    std::vector<std::pair<std::string, GLuint>> framebuffers = {{"single", s.single.fbo},
                                                                {"dual", s.dual.fbo}};
    if (s.has_default_framebuffer) framebuffers.emplace_back("default", 0);
    for (const auto &[name, fbo] : framebuffers) {
        gl.glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        r.ints("read buffer of " + name, GL_READ_BUFFER, 1);
        r.ints("draw buffer 0 of " + name, GL_DRAW_BUFFER0, 1);
        r.ints("draw buffer 1 of " + name, GL_DRAW_BUFFER1, 1);
    }
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, draw);
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, read);
}

} // namespace

const GLenum blend_factors[9] = {GL_ZERO,
                                 GL_ONE,
                                 GL_SRC_COLOR,
                                 GL_DST_COLOR,
                                 GL_SRC_ALPHA,
                                 GL_ONE_MINUS_SRC_ALPHA,
                                 GL_DST_ALPHA,
                                 GL_CONSTANT_COLOR,
                                 GL_ONE_MINUS_CONSTANT_ALPHA};
const GLenum blend_equations[5] = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN,
                                   GL_MAX};
const GLenum polygon_modes[3] = {GL_FILL, GL_LINE, GL_POINT};

std::vector<unsigned char> read_packed(GLuint fbo, GLenum buffer, int x, int y, int w, int h) {
    // host_read packs rows by the alignment alone; a host state with a pack
    // row length or skips would make it write past its vector.
    const GLenum layout[3] = {GL_PACK_ROW_LENGTH, GL_PACK_SKIP_PIXELS, GL_PACK_SKIP_ROWS};
    GLint saved[3];
    for (int k = 0; k < 3; k++) {
        saved[k] = get_int(layout[k]);
        gl.glPixelStorei(layout[k], 0);
    }
    std::vector<unsigned char> pixels = host_read(fbo, buffer, x, y, w, h);
    for (int k = 0; k < 3; k++)
        gl.glPixelStorei(layout[k], saved[k]);
    return pixels;
}

namespace {

// A hash of the pixels of each texture the host keeps for sampling: no
// entry point may write into a texture it was not given.
void read_contents(const HostScene &s, StateReader &r) {
    GLint draw = get_int(GL_DRAW_FRAMEBUFFER_BINDING), read = get_int(GL_READ_FRAMEBUFFER_BINDING);
    for (int k = 0; k < 3; k++) {
        if (!s.textures[k]) continue;
        gl.glBindFramebuffer(GL_FRAMEBUFFER, s.probe);
        gl.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                  s.textures[k], 0);
        unsigned long long hash = 1469598103934665603ull;
        for (unsigned char byte : read_packed(s.probe, GL_COLOR_ATTACHMENT0, 0, 0, 4, 4))
            hash = (hash ^ byte) * 1099511628211ull;
        r.add("contents of host texture " + std::to_string(k), (long long)hash);
    }
    // Detached again, so that a fuzzed framebuffer name cannot draw into it.
    gl.glBindFramebuffer(GL_FRAMEBUFFER, s.probe);
    gl.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, draw);
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, read);
}

GLuint texture_only(HostTarget t) {
    gl.glDeleteFramebuffers(1, &t.fbo);
    return t.texture;
}

GLuint make_multisampled(GLuint *storage) {
    GLuint fbo = 0;
    gl.glGenRenderbuffers(1, storage);
    gl.glBindRenderbuffer(GL_RENDERBUFFER, *storage);
    // softpipe has no multisampling (GL_MAX_SAMPLES is 1): one sample there.
    gl.glRenderbufferStorageMultisample(GL_RENDERBUFFER, std::min(get_int(GL_MAX_SAMPLES), 4),
                                        GL_RGBA8, 16, 16);
    gl.glBindRenderbuffer(GL_RENDERBUFFER, 0);
    gl.glGenFramebuffers(1, &fbo);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    gl.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, *storage);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return fbo;
}

} // namespace

void scene_make(HostScene *s, Profile profile, bool has_default_framebuffer) {
    s->compat = profile == Profile::compat;
    s->has_default_framebuffer = has_default_framebuffer;
    s->clip_count = std::min(get_int(GL_MAX_CLIP_DISTANCES), 32);
    s->program = host_program();
    gl.glGenVertexArrays(1, &s->vao);
    GLuint buffers[2];
    gl.glGenBuffers(2, buffers);
    for (GLuint b : buffers) {
        gl.glBindBuffer(GL_PIXEL_UNPACK_BUFFER, b);
        gl.glBufferData(GL_PIXEL_UNPACK_BUFFER, 1 << 16, nullptr, GL_STREAM_DRAW);
    }
    gl.glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    s->unpack_buffer = buffers[0];
    s->pack_buffer = buffers[1];
    // Only the textures are kept: a framebuffer of a sampled texture would
    // let a fuzzed target name draw into it.
    for (GLuint &t : s->textures)
        t = texture_only(host_target(4, 4, 1, 0, 1, 1));
    // Samplers that make every texture incomplete: drawn through them, a
    // texture reads as black, so a pass that leaves them bound shows.
    gl.glGenSamplers(2, s->samplers);
    for (GLuint sampler : s->samplers)
        gl.glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    s->single = host_target(32, 32, 0.2f, 0.4f, 0.6f, 1.0f);
    s->dual = host_target(32, 32, 0.1f, 0.1f, 0.1f, 1.0f);
    s->dual_second = texture_only(host_target(32, 32, 0, 0, 0, 1));
    gl.glBindFramebuffer(GL_FRAMEBUFFER, s->dual.fbo);
    gl.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_TEXTURE_2D, s->dual_second,
                              0);
    gl.glBindFramebuffer(GL_FRAMEBUFFER, 0);
    s->multisampled = make_multisampled(&s->multisampled_storage);
    gl.glGenFramebuffers(1, &s->probe);
}

void scene_apply(const HostScene &s, const uint8_t *bytes, size_t size) {
    Bytes b{bytes, size};
    apply_routes(s, b);
    gl.glUseProgram(b.coin() ? s.program : 0);
    gl.glBindVertexArray(b.coin() ? s.vao : 0);
    apply_textures(s, b);
    apply_pixel_store(s, b);
    gl.glViewport(b.small(), b.small(), b.next(), b.next());
    apply_scissor(b);
    apply_blending(b);
    apply_capabilities(s, b);
}

Snapshot snapshot(const HostScene &s) {
    StateReader r;
    read_bindings(r);
    read_pixel_store(r);
    read_blending(r);
    read_capabilities(s, r);
    read_units(r);
    read_routes(s, r);
    read_contents(s, r);
    return r.values;
}

std::vector<std::string> changed_by_design(const std::string &call) {
    if (call == "readPixels") return {"read buffer of default"};
    if (call == "background") return {"draw buffer 0 of default"};
    return {};
}

bool scene_owns_texture(const HostScene &s, GLuint name) {
    const GLuint owned[] = {s.textures[0],    s.textures[1],  s.textures[2],
                            s.single.texture, s.dual.texture, s.dual_second};
    return name != 0 && std::find(std::begin(owned), std::end(owned), name) != std::end(owned);
}
