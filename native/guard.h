// The host GL state the renderer saves and puts back, and the value each
// piece has while the renderer draws. A guarded pass (attach's start-up,
// background, submit) saves, in this order: the bindings and boxes, draw
// buffer 0's colour mask (all true during a pass) and blend state (GL_BLEND
// off during a pass), the capabilities (all off), the clip distances below
// GL_MAX_CLIP_DISTANCES (at most 32, all off), GL_ALPHA_TEST in a
// compatibility profile (off), and each texture unit's state. It restores all
// of it afterwards, whether the pass changed it or not.
#ifndef OMBREL_GUARD_H
#define OMBREL_GUARD_H

// X(field, glGetIntegerv query, array size or nothing, value during a pass):
// "own" is what the pass binds or sets for itself, renderer.vao the empty
// vertex array all its draws use.
#define OMBREL_GUARD_INTEGERS(X)                                                                   \
    X(program, GL_CURRENT_PROGRAM, , own)                                                          \
    X(vao, GL_VERTEX_ARRAY_BINDING, , renderer.vao)                                                \
    X(draw, GL_DRAW_FRAMEBUFFER_BINDING, , own)                                                    \
    X(read, GL_READ_FRAMEBUFFER_BINDING, , own)                                                    \
    X(active, GL_ACTIVE_TEXTURE, , own)                                                            \
    X(unpack, GL_PIXEL_UNPACK_BUFFER_BINDING, , 0)                                                 \
    X(viewport, GL_VIEWPORT, [4], own)                                                             \
    X(scissor, GL_SCISSOR_BOX, [4], own)                                                           \
    X(polygon, GL_POLYGON_MODE, [2], GL_FILL)

// X(field, query) of draw buffer 0, read indexed where the indexed blend
// calls exist and plain otherwise.
#define OMBREL_GUARD_BLEND(X)                                                                      \
    X(src_rgb, GL_BLEND_SRC_RGB)                                                                   \
    X(dst_rgb, GL_BLEND_DST_RGB)                                                                   \
    X(src_alpha, GL_BLEND_SRC_ALPHA)                                                               \
    X(dst_alpha, GL_BLEND_DST_ALPHA)                                                               \
    X(equation_rgb, GL_BLEND_EQUATION_RGB)                                                         \
    X(equation_alpha, GL_BLEND_EQUATION_ALPHA)

// X(name, capability): saved with glIsEnabled, off during a pass.
#define OMBREL_GUARD_CAPS(X)                                                                       \
    X(depth_test, GL_DEPTH_TEST)                                                                   \
    X(stencil_test, GL_STENCIL_TEST)                                                               \
    X(cull_face, GL_CULL_FACE)                                                                     \
    X(scissor_test, GL_SCISSOR_TEST)                                                               \
    X(color_logic_op, GL_COLOR_LOGIC_OP)                                                           \
    X(rasterizer_discard, GL_RASTERIZER_DISCARD)                                                   \
    X(sample_alpha_to_coverage, GL_SAMPLE_ALPHA_TO_COVERAGE)                                       \
    X(sample_alpha_to_one, GL_SAMPLE_ALPHA_TO_ONE)                                                 \
    X(sample_coverage, GL_SAMPLE_COVERAGE)                                                         \
    X(sample_mask, GL_SAMPLE_MASK)                                                                 \
    X(framebuffer_srgb, GL_FRAMEBUFFER_SRGB)

// X(field, query, value during a pass) of texture units 0 and 1, each read
// with its unit active.
#define OMBREL_GUARD_UNITS 2
#define OMBREL_GUARD_UNIT_STATE(X)                                                                 \
    X(texture, GL_TEXTURE_BINDING_2D, own)                                                         \
    X(sampler, GL_SAMPLER_BINDING, 0)

// Outside guarded passes each entry point saves exactly what it changes.
// submit also saves the target framebuffer's own buffers, which are state of
// the framebuffer: GL_READ_BUFFER and GL_DRAW_BUFFER0 + i below
// GL_MAX_DRAW_BUFFERS (at most 32). createTexture and upload save
// GL_ACTIVE_TEXTURE, unit 0's GL_TEXTURE_BINDING_2D and the unpack buffer;
// readPixels the read framebuffer and the pack buffer. upload and readPixels
// save the pixel stores below, X(pname, value during the transfer).
#define OMBREL_UNPACK_STORE(X)                                                                     \
    X(GL_UNPACK_ALIGNMENT, 1)                                                                      \
    X(GL_UNPACK_ROW_LENGTH, 0)                                                                     \
    X(GL_UNPACK_SKIP_PIXELS, 0)                                                                    \
    X(GL_UNPACK_SKIP_ROWS, 0)

#define OMBREL_PACK_STORE(X)                                                                       \
    X(GL_PACK_ALIGNMENT, 1)                                                                        \
    X(GL_PACK_ROW_LENGTH, 0)                                                                       \
    X(GL_PACK_SKIP_PIXELS, 0)                                                                      \
    X(GL_PACK_SKIP_ROWS, 0)

#endif
