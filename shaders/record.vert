#version 330 core
// The quad of one command record: six vertices (two triangles) made from
// gl_VertexID and the record's uniforms; no vertex data is bound. Positions are
// UI units, origin top-left, y down, mapped onto clip space by "view".
// The quad is the record's rectangle grown by whatever the fragment stage may
// paint outside it: the anti-aliased fringe, a stroke's outer part, a shadow's
// offset, spread and blur. CommandBuffer grows the scissor bounds the same way.
//
// The fragment stage runs for every pixel, this stage six times per record, so
// everything that is the same for the whole record is worked out here and
// handed on as flat outputs: the record's own rounded box (centre, half size,
// per-corner radius and exponent), the offsets that turn its distance into a
// fill, stroke or sharp shadow, and the shape of a soft shadow.
uniform vec4 rect;           // x, y, width, height
uniform vec2 view;           // UI width, height
uniform int kind;
uniform vec4 extra;
uniform float radius;
uniform vec4 quality;        // feather, spread, dither
uniform vec4 texRect;        // u0, v0, u1, v1 of the atlas region (text)
uniform vec4 cornerRadii;    // top-left, top-right, bottom-right, bottom-left
uniform vec4 cornerHandles;  // smoothing of the same corners

out vec2 vUi;
out vec2 vUv;
out vec2 vLocal;                // position relative to the own box's centre
flat out vec2 vHalf;            // the own box's half size
flat out vec4 vCornerRadius;    // its corner curves' radii
flat out vec4 vCornerExponent;  // and superellipse exponents
flat out vec2 vCover;           // distance offsets of the outer and inner edge
flat out vec2 vShadow;          // sigma, 1 for a shadow
flat out vec2 vSharpFit;        // a soft shadow's corner radius and exponent for sharp corners

const float EDGE = 2.0;  // room for the anti-aliased fringe, in UI units
const float FAR = 1e30;  // an edge offset that no pixel reaches

void main() {
    int i = gl_VertexID % 6;
    // Corners (0,0) (1,0) (0,1) | (0,1) (1,0) (1,1), one bit per vertex.
    vec2 corner = vec2(float((0x32 >> i) & 1), float((0x2C >> i) & 1));
    bool shadow = kind == 4, stroke = kind == 3, text = kind == 2;
    float spread = quality.y;
    float pad = EDGE + max(quality.x, 0.0) + max(spread, 0.0);
    float sw = max(extra.x, 0.0), outer = sw * clamp(extra.y, 0.0, 1.0);
    float sigma = 0.5 * max(radius, 0.0);
    vec2 shift = shadow ? extra.xy : vec2(0.0);
    pad = text ? 0.0 : pad + (stroke ? outer : 0.0) + (shadow ? 1.5 * max(radius, 0.0) : 0.0);
    vec2 p = rect.xy + shift - pad + corner * (rect.zw + 2.0 * pad);
    vUi = p;
    vUv = mix(texRect.xy, texRect.zw, corner);
    gl_Position = vec4(p.x / view.x * 2.0 - 1.0, 1.0 - p.y / view.y * 2.0, 0.0, 1.0);

    // The own box: for a shadow the caster moved by the offset and grown by
    // the spread, radii with it; otherwise the rectangle, whose spread the
    // edge offsets subtract from the distance.
    vec2 h = 0.5 * rect.zw;
    vLocal = p - rect.xy - h - shift;
    vec2 b = shadow ? max(h + spread, 0.0) : h;
    vHalf = b;
    vec4 r = shadow ? max(cornerRadii + spread, 0.0) * step(0.001, cornerRadii) : cornerRadii;
    vec4 n = 2.0 + 2.0 * clamp(cornerHandles, 0.0, 1.0);
    float m = max(min(b.x, b.y), 0.0);
    vec4 re = min(max(r, 0.0) * 0.2928932 / (1.0 - exp2(-1.0 / n)), vec4(m));
    // A soft shadow's level lines round its corners more and more as sigma
    // grows. shape.frag measures the distance to the box whose corners are
    // fitted to them and to the same box fitted as if every corner were sharp
    // (vSharpFit): a corner curve of radius hypot(re, 2.4 sigma), whose
    // exponent is 2 * 2.4 / 1.5 = 3.2 for a sharp corner and goes to the
    // caster's own as the corner outgrows sigma, overshooting on the way for
    // smoothed corners (form and constants fitted against an exact Gaussian of
    // circular and smoothed corners from 0.5 to 6 sigma).
    float s1 = min(2.4 * sigma, m), s0 = min(1.5 * sigma, m);
    float sharp = max(2.0 * s1 / max(s0, 1e-6), 2.0);
    vec4 r1 = min(sqrt(re * re + 5.76 * sigma * sigma), vec4(m));
    vec4 f = re / max(r1, 1e-6);
    vCornerRadius = shadow ? r1 : re;
    vCornerExponent = shadow ? mix(vec4(sharp), n + (n - 2.0) * (1.0 - f), f * f) : n;
    vSharpFit = vec2(s1, sharp);
    vShadow = vec2(sigma, shadow ? 1.0 : 0.0);
    // Coverage is edge(d + vCover.x) - edge(d + vCover.y): a stroke is the band
    // from sw * (alignment - 1) inside to sw * alignment outside the edge, a
    // fill or sharp shadow has no inner edge; text is rounded only when a
    // corner radius is set.
    bool rounded = any(greaterThan(cornerRadii, vec4(0.0)));
    vCover = text ? vec2(rounded ? 0.0 : -FAR, FAR)
           : stroke ? vec2(-spread - outer, -spread - outer + sw)
           : vec2(shadow ? 0.0 : -spread, FAR);
}
