// The command record format as the native side reads it: record limits,
// record kinds (slot 0) and the first slot of every slot group, each entry
// X(name, value) or X(name, first slot, slot count). CommandBuffer's
// RECORD_FLOATS/MAX_CLIP_DEPTH, KIND_* and SLOT_* constants are the same
// names in upper case; a Java test checks the two against each other.
#ifndef OMBREL_COMMAND_RECORDS_H
#define OMBREL_COMMAND_RECORDS_H

#define OMBREL_RECORD_LIMITS(X)                                                                    \
    X(record_floats, 64)                                                                           \
    X(max_clip_depth, 32)

// Kinds the renderer tells apart; any other value draws with the shape
// program (fill, stroke and shadow are the shape shader's own kinds).
#define OMBREL_RECORD_KINDS(X)                                                                     \
    X(glass, 0)                                                                                    \
    X(fill, 1)                                                                                     \
    X(text, 2)                                                                                     \
    X(stroke, 3)                                                                                   \
    X(shadow, 4)                                                                                   \
    X(refresh, 9)                                                                                  \
    X(clip_push, 10)                                                                               \
    X(clip_pop, 11)

// Slot groups in slot order. texture holds the bits of a GL texture name;
// bounds are the scissor box in UI units (x, y, width, height). Slots 46-63
// are not read.
#define OMBREL_RECORD_SLOTS(X)                                                                     \
    X(kind, 0, 1)                                                                                  \
    X(rect, 1, 4)                                                                                  \
    X(radius, 5, 1)                                                                                \
    X(ink, 6, 4)                                                                                   \
    X(extra, 10, 3)                                                                                \
    X(tex_rect, 13, 4)                                                                             \
    X(texture, 17, 1)                                                                              \
    X(bounds, 18, 4)                                                                               \
    X(frost, 22, 1)                                                                                \
    X(refraction, 23, 1)                                                                           \
    X(saturation, 24, 1)                                                                           \
    X(tint_amount, 25, 1)                                                                          \
    X(dispersion, 26, 1)                                                                           \
    X(feather, 27, 1)                                                                              \
    X(corner_radii, 28, 4)                                                                         \
    X(corner_smoothing, 32, 4)                                                                     \
    X(highlight, 36, 4)                                                                            \
    X(shade, 40, 4)                                                                                \
    X(spread, 44, 1)                                                                               \
    X(dither, 45, 1)

#endif
