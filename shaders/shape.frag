#version 330 core
// Flat shapes: a rounded rectangle filled (kind 1 and every kind without a
// meaning of its own), stroked (kind 3) or as a soft Gaussian shadow (kind 4).
// Output is premultiplied; the ink arrives as straight RGBA.
// docs/command-records.md tells what each uniform component means; record.vert
// works out what is the same for the whole record.
in vec2 vUi;
flat in vec2 vCover;   // distance offsets of the outer and inner edge
flat in vec2 vShadow;  // sigma, 1 for a shadow
flat in vec2 vSharpFit;  // the soft shadow's corner radius and exponent for sharp corners
out vec4 fragColor;

uniform vec4 rect;           // x, y, width, height
uniform int kind;
uniform vec4 extra;          // stroke: width, alignment; shadow: dx, dy, knockout
uniform float radius;        // shadow: blur radius (sigma = radius / 2)
uniform vec4 ink;            // straight RGBA
uniform vec4 cornerRadii;    // top-left, top-right, bottom-right, bottom-left
uniform vec4 cornerHandles;  // smoothing of the same corners
uniform vec4 quality;        // feather, spread, dither

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

// erf with an absolute error below 5e-4, well under one 8-bit step.
vec3 erf(vec3 x) {
    vec3 a = abs(x);
    vec3 t = 1.0 + (0.278393 + (0.230389 + (0.000972 + 0.078108 * a) * a) * a) * a;
    t *= t;
    return sign(x) * (1.0 - 1.0 / (t * t));
}

void main() {
    vec2 fw = fwidth(vUi);
    float aa = max(0.5 * (fw.x + fw.y), 1e-6);
    float w = aa + max(quality.x, 0.0);
    float sigma = vShadow.x;
    float k = 0.7071068 / max(sigma, 1e-6);
    vec2 o = abs(vLocal) - vHalf;
    // Box 0 is the record's own, boxes 1 to shapeClipCount the open clips; a
    // knockout shadow adds the caster's unmoved box and every shadow, last,
    // its own box fitted as if its corners were sharp.
    bool shadow = kind == 4;
    int knockout = shadow && extra.z > 0.5 ? 1 : 0;
    int boxes = 1 + shapeClipCount + knockout + (shadow ? 1 : 0);
    int fitted = shadow ? boxes - 1 : 0;
    // A soft shadow's closed form needs six erf values; the turns on the own
    // box and on the fitted box take three each, so other kinds pay for three.
    vec3 near = vec3(0.0), far = vec3(0.0);
    float d = 0.0, clip = 1.0;
    int i = 0;
    do {
        vec2 info;
        bool own = i == 0 || i == fitted;
        vec4 radius = i == 0 ? vCornerRadius : vec4(vSharpFit.x);
        vec4 exponent = i == 0 ? vCornerExponent : vec4(vSharpFit.y);
        float e = boxAt(i, own, vUi, vLocal, radius, exponent, rect, cornerRadii, cornerHandles, info).x - info.x;
        bool isClip = i <= shapeClipCount;
        float c = edgeCoverage(e, aa + (isClip ? max(info.y, 0.0) : 0.0));
        d = i == 0 ? e : d;
        clip *= own ? 1.0 : isClip ? c : 1.0 - c;
        // Turn 0: the fitted rounded box and the x sides; the fitted turn:
        // the box fitted as sharp and the y sides (see below).
        vec3 g = erf(vec3(e, i == 0 ? vec2(o.x, o.x + 2.0 * vHalf.x) : vec2(o.y, o.y + 2.0 * vHalf.y)) * k);
        near = i == 0 ? g : near;
        far = i == fitted ? g : far;
    } while (++i < boxes);
    // Gaussian-blurred coverage of the own box, in closed form. For a sharp
    // rectangle it is exact and separable: per axis, the part of the Gaussian
    // between the two sides, Phi(-o / sigma) - Phi(-(o + 2 b) / sigma) for the
    // distance o past the near side. Rounded corners scale it by
    // Phi(-d / sigma) / Phi(-d0 / sigma), where d is the distance to the box
    // whose corners record.vert fitted to the blurred rounded corner and d0
    // the same for sharp corners: 1 wherever the corners play no part and for
    // sharp corners, the blurred curve of the corner where they do.
    float blurred = clamp(0.25 * (near.z - near.y) * (far.z - far.y) * (1.0 - near.x) / max(1.0 - far.x, 1e-6),
                          0.0, 1.0);
    bool soft = vShadow.y > 0.5 && sigma >= 0.5 * aa;
    float cover = soft ? blurred : edgeCoverage(d + vCover.x, w) - edgeCoverage(d + vCover.y, w);
    float a = ink.a * cover * clip;
    if (a <= 0.0) discard;
    // Dither only the partly covered pixels, where long ramps would band.
    if (a < 1.0) a = clamp(a + dither(quality.z), 0.0, 1.0);
    fragColor = vec4(ink.rgb * a, a);
}
