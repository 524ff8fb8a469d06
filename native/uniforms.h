// Uniform names the renderer looks up, as X(field, GLSL name): the 20 of each
// draw program (glass, shape and text, looked up in all three; a name a
// program lacks is -1), those of the background and blur programs, and the
// samplers with the texture unit each is set to once at start-up.
#ifndef OMBREL_UNIFORMS_H
#define OMBREL_UNIFORMS_H

#define OMBREL_DRAW_UNIFORMS(X)                                                                    \
    X(rect, "rect")                                                                                \
    X(view, "view")                                                                                \
    X(kind, "kind")                                                                                \
    X(extra, "extra")                                                                              \
    X(radius, "radius")                                                                            \
    X(ink, "ink")                                                                                  \
    X(texrect, "texRect")                                                                          \
    X(optics, "optics")                                                                            \
    X(material, "material")                                                                        \
    X(pointer, "pointerv")                                                                         \
    X(corners, "cornerRadii")                                                                      \
    X(handles, "cornerHandles")                                                                    \
    X(quality, "quality")                                                                          \
    X(highlight, "highlightColor")                                                                 \
    X(shadow, "shadowColor")                                                                       \
    X(clip_count, "shapeClipCount")                                                                \
    X(clip_rects, "shapeClipRects[0]")                                                             \
    X(clip_radii, "shapeClipRadii[0]")                                                             \
    X(clip_handles, "shapeClipHandles[0]")                                                         \
    X(clip_info, "shapeClipInfo[0]")

#define OMBREL_BACKGROUND_UNIFORMS(X)                                                              \
    X(res, "res")                                                                                  \
    X(time, "time")                                                                                \
    X(grid, "grid")                                                                                \
    X(palette, "palette")                                                                          \
    X(color, "backgroundColor")                                                                    \
    X(accent, "backgroundAccent")

#define OMBREL_BLUR_UNIFORMS(X)                                                                    \
    X(src, "src")                                                                                  \
    X(step, "stepv")                                                                               \
    X(sigma, "sigma")

// X(program, sampler name, texture unit), in the order they are set; the blur
// program's "src" (above) is set to unit 0 before them.
#define OMBREL_SAMPLERS(X)                                                                         \
    X(glass, "sharpTex", 0)                                                                        \
    X(glass, "blurTex", 1)                                                                         \
    X(text, "atlas", 0)

#endif
