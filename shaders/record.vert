#version 330 core
// The quad of one command record: six vertices (two triangles) made from
// gl_VertexID and the record's uniforms; no vertex data is bound. Positions are
// UI units, origin top-left, y down, mapped onto clip space by "view".
// The quad is the record's rectangle grown by whatever the fragment stage may
// paint outside it: the anti-aliased fringe, a stroke's outer part, a shadow's
// offset, spread and blur. CommandBuffer grows the scissor bounds the same way.
uniform vec4 rect;     // x, y, width, height
uniform vec2 view;     // UI width, height
uniform int kind;
uniform vec4 extra;
uniform float radius;
uniform vec4 quality;  // feather, spread, dither
uniform vec4 texRect;  // u0, v0, u1, v1 of the atlas region (text)

out vec2 vUi;
out vec2 vUv;

const float EDGE = 2.0;  // room for the anti-aliased fringe, in UI units

void main() {
    int i = gl_VertexID % 6;
    // Corners (0,0) (1,0) (0,1) | (0,1) (1,0) (1,1), one bit per vertex.
    vec2 corner = vec2(float((0x32 >> i) & 1), float((0x2C >> i) & 1));
    float pad = EDGE + max(quality.x, 0.0) + max(quality.y, 0.0);
    vec2 shift = vec2(0.0);
    if (kind == 2) {
        pad = 0.0;
    } else if (kind == 3) {
        pad += max(extra.x, 0.0) * clamp(extra.y, 0.0, 1.0);
    } else if (kind == 4) {
        pad += 1.5 * max(radius, 0.0);
        shift = extra.xy;
    }
    vec2 p = rect.xy + shift - pad + corner * (rect.zw + 2.0 * pad);
    vUi = p;
    vUv = mix(texRect.xy, texRect.zw, corner);
    gl_Position = vec4(p.x / view.x * 2.0 - 1.0, 1.0 - p.y / view.y * 2.0, 0.0, 1.0);
}
