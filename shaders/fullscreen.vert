#version 330 core
// One triangle that covers the whole viewport: vertices 0, 1, 2 land on
// (-1,-1), (3,-1) and (-1,3) in clip space. No vertex data is bound.
//
// For the background program it also works out, three times per frame, what
// is the same for every pixel: the glows' centres (which move with "time"),
// the palette's colours and the grid's spacing. The blur program ignores these
// outputs and leaves the uniforms unset.
uniform vec2 res;
uniform float time;
uniform float grid;
uniform float palette;
uniform vec4 backgroundColor;
uniform vec4 backgroundAccent;

flat out vec4 vGlows;     // centres of glows 1 and 2, in height units
flat out vec4 vGlow3;     // centre of glow 3, aspect, grid scale
flat out vec3 vTop;       // gradient colour at the top
flat out vec3 vBottom;    // and at the bottom
flat out vec3 vGlowColor;
flat out vec4 vMix;       // glow strength, vignette strength, grid line shade, grid on

void main() {
    vec2 p = vec2(float((gl_VertexID & 1) << 2), float((gl_VertexID & 2) << 1)) - 1.0;
    gl_Position = vec4(p, 0.0, 1.0);

    vec2 size = max(res, vec2(1.0));
    float aspect = size.x / size.y;
    float t = time;
    vGlows = vec4(aspect * (0.25 + 0.10 * sin(t * 0.21)), 0.78 + 0.10 * cos(t * 0.17),
                  aspect * (0.80 + 0.08 * cos(t * 0.13)), 0.30 + 0.12 * sin(t * 0.19));
    vGlow3 = vec4(aspect * (0.55 + 0.15 * sin(t * 0.11 + 1.7)), 0.05 + 0.10 * cos(t * 0.23), aspect,
                  max(1.0, floor(size.y / 1080.0 + 0.5)));
    vec3 base = backgroundColor.rgb;
    vec3 accent = backgroundAccent.rgb;
    float light = clamp(palette, 0.0, 1.0);
    vTop = mix(base, mix(base, vec3(1.0), 0.85), light);
    vBottom = mix(base * 0.55, mix(base, vec3(1.0), 0.68), light);
    vGlowColor = mix(accent * 0.8, mix(accent, vec3(1.0), 0.45), light);
    vMix = vec4(mix(0.55, 0.45, light), 0.35 * (1.0 - light), 1.0 - light, grid > 0.5 ? 1.0 : 0.0);
}
