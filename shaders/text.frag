#version 330 core
// Text and images: the atlas region "texRect" stretched over the record's
// rectangle. Mask mode (extra.x = 0) takes coverage from the atlas alpha and
// colour from the ink; colour mode (extra.x = 1) takes straight RGBA from the
// atlas, multiplied by the ink. Corner radii, when set, round the quad.
// Output is premultiplied. docs/command-records.md tells the layout.
in vec2 vUi;
in vec2 vUv;
flat in vec2 vCover;  // distance offset of the edge: out of reach for square quads
out vec4 fragColor;

uniform sampler2D atlas;     // unit 0
uniform vec4 rect;           // x, y, width, height
uniform vec4 extra;          // mode
uniform vec4 ink;            // straight RGBA
uniform vec4 cornerRadii;    // top-left, top-right, bottom-right, bottom-left
uniform vec4 cornerHandles;  // smoothing of the same corners
uniform vec4 quality;        // feather

// ---- rounded box and clip stack: the same text in glass, shape and text ----
uniform int shapeClipCount;
uniform vec4 shapeClipRects[32];    // x, y, width, height
uniform vec4 shapeClipRadii[32];    // corner radii
uniform vec4 shapeClipHandles[32];  // corner smoothing
uniform vec4 shapeClipInfo[32];     // spread, feather

// The record's own rounded box, worked out once per record by record.vert:
// the pixel relative to its centre, its half size, and per corner (top-left,
// top-right, bottom-right, bottom-left) the radius of the corner curve and its
// superellipse exponent.
in vec2 vLocal;
flat in vec2 vHalf;
flat in vec4 vCornerRadius;
flat in vec4 vCornerExponent;

// A software rasterizer such as llvmpipe runs every instruction of a shader
// for every pixel: both sides of a branch, and a loop's body at least once.
// So each pixel measures its distance to one rounded box per loop turn with
// one copy of the distance code, the draw's own box on the first turn and
// each open clip on the next ones; branches select inputs, never skip work.
// The turn count depends on uniforms alone, so the clip arrays are read once
// for all pixels rather than gathered per pixel.

// The component of v (one value per corner: top-left, top-right,
// bottom-right, bottom-left) for the quadrant that p, relative to a box's
// centre, lies in (y down). Three selects: indexing a vector by a value that
// differs from pixel to pixel costs llvmpipe far more.
float atCorner(vec4 v, vec2 p) {
    vec2 top = p.x >= 0.0 ? v.yz : v.xw;
    return p.y >= 0.0 ? top.y : top.x;
}

// A corner of radius rad and smoothing smo (0 circular to 1 squircle) is a
// superellipse of exponent 2 + 2 * smo, widened so that its point on the
// diagonal stays where the circular arc puts it; limited to the box.
float cornerRadius(float rad, float exponent, vec2 b) {
    return min(max(rad, 0.0) * 0.2928932 / (1.0 - exp2(-1.0 / exponent)), max(min(b.x, b.y), 0.0));
}

// Signed distance (UI units, negative inside) from p, relative to the centre,
// to a box of half size b whose corner at p has radius re and exponent n, and
// the outward normal there. In the corner the superellipse's p-norm k of the
// corner offset is divided by the length of its gradient, so the value keeps
// measuring distance across the edge; with the larger offset component m and
// r = smaller / m <= 1, k = m (1 + r^n)^(1/n) and the gradient is
// (1, r^(n - 1)) (1 + r^n)^(1/n - 1): two logarithms and two powers of two,
// exact for circles too (n = 2), so one path serves every corner. Away from
// the corner one component of the offset is 0, r = 0, and the same formula
// gives the distance to the straight side.
vec3 boxSdf(vec2 p, vec2 b, float re, float n) {
    vec2 q = abs(p) - b + re;
    vec2 z = max(q, 0.0);
    bool xLarger = q.x > q.y;
    float m = max(max(z.x, z.y), 1e-20);
    float r = max(min(z.x, z.y) / m, 1e-20);
    float t = exp2(n * log2(r));             // r^n
    float s = exp2(log2(1.0 + t) / n);       // (1 + r^n)^(1/n)
    float g = t / r;                         // r^(n-1)
    float gl = sqrt(1.0 + g * g);
    float d = (m * s - re) * (1.0 + t) / (s * gl) + min(max(q.x, q.y), 0.0);
    vec2 normal = (step(0.0, p) * 2.0 - 1.0) * (xLarger ? vec2(1.0, g) : vec2(g, 1.0)) / gl;
    return vec3(d, normal);
}

// Box i of the pixel at ui: the record's own when own is set (local: the
// pixel relative to its centre, ownRadius and ownExponent its corners), else
// 1 to shapeClipCount the open clips, and beyond them the record's rectangle
// with its own corners. info receives the box's spread and feather (zero for
// the record's own box, whose caller applies its own). A clip's corner values
// are picked for the pixel's corner alone.
vec3 boxAt(int i, bool own, vec2 ui, vec2 local, vec4 ownRadius, vec4 ownExponent, vec4 rect, vec4 radii,
           vec4 handles, out vec2 info) {
    bool isClip = i > 0 && i <= shapeClipCount;
    int c = clamp(i - 1, 0, 31);
    vec4 box = isClip ? shapeClipRects[c] : rect;
    vec2 b = 0.5 * box.zw;
    vec2 p = own ? local : ui - box.xy - b;
    float n = 2.0 + 2.0 * clamp(atCorner(isClip ? shapeClipHandles[c] : handles, p), 0.0, 1.0);
    float re = cornerRadius(atCorner(isClip ? shapeClipRadii[c] : radii, p), n, b);
    info = isClip ? shapeClipInfo[c].xy : vec2(0.0);
    return boxSdf(p, own ? vHalf : b, own ? atCorner(ownRadius, p) : re, own ? atCorner(ownExponent, p) : n);
}

// Coverage 0..1 of the edge at distance d for a ramp of width w.
float edgeCoverage(float d, float w) {
    return clamp(0.5 - d / w, 0.0, 1.0);
}

// Interleaved gradient noise in -0.5..0.5 of one 8-bit step, times amount.
float dither(float amount) {
    float n = fract(52.9829189 * fract(dot(gl_FragCoord.xy, vec2(0.06711056, 0.00583715))));
    return (n - 0.5) * amount / 255.0;
}
// ---- end of the shared part ----

void main() {
    // The cheapest test first: where the atlas is clear the pixel is dropped
    // before any distance is measured.
    vec4 texel = textureLod(atlas, vUv, 0.0);
    float a = ink.a * texel.a;
    if (a <= 0.0) discard;
    vec2 fw = fwidth(vUi);
    float aa = max(0.5 * (fw.x + fw.y), 1e-6);
    // Box 0 is the quad's own, which rounds it when a corner radius is set
    // (record.vert moves its edge out of reach otherwise); boxes 1 to
    // shapeClipCount are the open clips.
    int i = 0;
    do {
        vec2 info;
        float e = boxAt(i, i == 0, vUi, vLocal, vCornerRadius, vCornerExponent, rect, cornerRadii, cornerHandles,
                        info).x - info.x;
        a *= i == 0 ? edgeCoverage(e + vCover.x, aa + max(quality.x, 0.0)) : edgeCoverage(e, aa + max(info.y, 0.0));
    } while (++i < 1 + shapeClipCount);
    if (a <= 0.0) discard;
    vec3 rgb = ink.rgb;
    if (extra.x >= 0.5) rgb *= texel.rgb;
    fragColor = vec4(rgb * a, a);
}
