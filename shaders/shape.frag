#version 330 core
// Flat shapes: a rounded rectangle filled (kind 1 and every kind without a
// meaning of its own), stroked (kind 3) or as a soft Gaussian shadow (kind 4).
// Output is premultiplied; the ink arrives as straight RGBA.
// docs/command-records.md tells what each uniform component means.
in vec2 vUi;
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

// Signed distance (UI units, negative inside) from p, relative to the centre,
// to a box of half size b, and the outward normal there. Corners are ordered
// top-left, top-right, bottom-right, bottom-left (y down): r holds their radii
// and s their smoothing, 0 for a circular arc up to 1 for a squircle. Smoothing
// raises the corner's superellipse exponent from 2 to 4 and widens the corner
// so that its midpoint stays where the circular arc's midpoint is.
vec3 boxSdf(vec2 p, vec2 b, vec4 r, vec4 s) {
    vec2 side = step(0.0, p);
    vec2 sg = side * 2.0 - 1.0;
    float rad = max(mix(mix(r.x, r.y, side.x), mix(r.w, r.z, side.x), side.y), 0.0);
    float smo = clamp(mix(mix(s.x, s.y, side.x), mix(s.w, s.z, side.x), side.y), 0.0, 1.0);
    float n = 2.0 + 2.0 * smo;
    float re = min(rad * 0.2928932 / (1.0 - exp2(-1.0 / n)), max(min(b.x, b.y), 0.0));
    vec2 q = abs(p) - b + re;
    if (q.x <= 0.0 || q.y <= 0.0) {
        return q.x > q.y ? vec3(q.x - re, sg.x, 0.0) : vec3(q.y - re, 0.0, sg.y);
    }
    if (smo <= 0.0 || re <= 0.0) {
        float l = length(q);
        return vec3(l - re, sg * q / l);
    }
    // Superellipse: the p-norm of the corner offset, divided by the length of
    // its gradient so that the value keeps measuring distance across the edge.
    vec2 u = q / re;
    float k = pow(pow(u.x, n) + pow(u.y, n), 1.0 / n);
    vec2 g = pow(u / k, vec2(n - 1.0));
    float gl = length(g);
    return vec3((k - 1.0) * re / gl, sg * g / gl);
}

// Coverage 0..1 of the edge at distance d for a ramp of width w.
float edgeCoverage(float d, float w) {
    return clamp(0.5 - d / w, 0.0, 1.0);
}

// Product of the coverages of the open shaped clips at p; aa is one pixel in
// UI units. Returns 0 as soon as one clip excludes p.
float clipCoverage(vec2 p, float aa) {
    float c = 1.0;
    for (int i = 0; i < shapeClipCount; ++i) {
        vec4 box = shapeClipRects[i];
        vec2 info = shapeClipInfo[i].xy;
        vec2 h = 0.5 * box.zw;
        vec2 lp = p - box.xy - h;
        float w = aa + max(info.y, 0.0);
        vec2 o = abs(lp) - h - info.x;
        if (max(o.x, o.y) >= 0.5 * w) return 0.0;
        c *= edgeCoverage(boxSdf(lp, h, shapeClipRadii[i], shapeClipHandles[i]).x - info.x, w);
        if (c <= 0.0) return 0.0;
    }
    return c;
}

// Interleaved gradient noise in -0.5..0.5 of one 8-bit step, times amount.
float dither(float amount) {
    float n = fract(52.9829189 * fract(dot(gl_FragCoord.xy, vec2(0.06711056, 0.00583715))));
    return (n - 0.5) * amount / 255.0;
}
// ---- end of the shared part ----

// erf with an absolute error below 5e-4, well under one 8-bit step.
float erf(float x) {
    float a = abs(x);
    float t = 1.0 + (0.278393 + (0.230389 + (0.000972 + 0.078108 * a) * a) * a) * a;
    t *= t;
    return sign(x) * (1.0 - 1.0 / (t * t));
}

// How far the edge of the row at height y (relative to the centre) is pulled
// in from the box side by a corner of radius rad and smoothing smo.
float cornerInset(float y, float hy, float rad, float smo, float m) {
    float n = 2.0 + 2.0 * clamp(smo, 0.0, 1.0);
    float re = min(max(rad, 0.0) * 0.2928932 / (1.0 - exp2(-1.0 / n)), m);
    float dy = abs(y) - (hy - re);
    if (dy <= 0.0 || re <= 0.0) return 0.0;
    return re - re * pow(max(1.0 - pow(min(dy / re, 1.0), n), 0.0), 1.0 / n);
}

// Gaussian-blurred coverage of the rounded box of half size b at p (relative
// to its centre). Each row of the box is a span whose blur across x has a
// closed form (erf); the blur across y is summed over rows, and only over rows
// the box has, so the box's top and bottom edges cannot show up as steps.
float shadowCoverage(vec2 p, vec2 b, vec4 r, vec4 s, float sigma) {
    vec2 o = abs(p) - b;
    if (max(o.x, o.y) > 3.0 * sigma) return 0.0;
    float maxR = max(max(r.x, r.y), max(r.z, r.w)) * 1.85;
    if (max(o.x, o.y) < -3.0 * sigma - maxR) return 1.0;
    float lo = max(p.y - 3.0 * sigma, -b.y);
    float hi = min(p.y + 3.0 * sigma, b.y);
    if (lo >= hi) return 0.0;
    float m = max(min(b.x, b.y), 0.0);
    float inv = 0.7071068 / sigma;
    const int ROWS = 16;
    float dy = (hi - lo) / float(ROWS);
    float sum = 0.0;
    for (int i = 0; i < ROWS; ++i) {
        float y = lo + (float(i) + 0.5) * dy;
        bool top = y < 0.0;
        float x0 = -b.x + cornerInset(y, b.y, top ? r.x : r.w, top ? s.x : s.w, m);
        float x1 = b.x - cornerInset(y, b.y, top ? r.y : r.z, top ? s.y : s.z, m);
        float t = (y - p.y) / sigma;
        sum += exp(-0.5 * t * t) * (erf((x1 - p.x) * inv) - erf((x0 - p.x) * inv));
    }
    // 0.5 from the erf difference, 1 / (sigma * sqrt(2 pi)) from the y weights.
    // The rows reach 3 sigma either way, which holds 99.73 % of the weight:
    // scale that up to 1 so that the inside of a large shadow is fully opaque.
    return clamp(sum * dy * 0.2000111 / sigma, 0.0, 1.0);
}

void main() {
    vec2 fw = fwidth(vUi);
    float aa = max(0.5 * (fw.x + fw.y), 1e-6);
    vec2 h = 0.5 * rect.zw;
    vec2 centre = rect.xy + h;
    float w = aa + max(quality.x, 0.0);
    float spread = quality.y;
    float cover;
    if (kind == 4) {
        float sigma = 0.5 * max(radius, 0.0);
        vec2 sh = max(h + spread, 0.0);
        vec4 sr = max(cornerRadii + spread, 0.0) * step(0.001, cornerRadii);
        vec2 lp = vUi - centre - extra.xy;
        cover = sigma < 0.5 * aa ? edgeCoverage(boxSdf(lp, sh, sr, cornerHandles).x, w)
                                 : shadowCoverage(lp, sh, sr, cornerHandles, sigma);
        // Knockout: leave the caster's own area clear, for translucent casters.
        if (extra.z > 0.5 && cover > 0.0) {
            cover *= 1.0 - edgeCoverage(boxSdf(vUi - centre, h, cornerRadii, cornerHandles).x, aa);
        }
    } else {
        float d = boxSdf(vUi - centre, h, cornerRadii, cornerHandles).x - spread;
        if (kind == 3) {
            // A band from width * (alignment - 1) inside to width * alignment
            // outside the edge: 0 is an inside stroke, 0.5 centred, 1 outside.
            float sw = max(extra.x, 0.0);
            float outer = sw * clamp(extra.y, 0.0, 1.0);
            cover = edgeCoverage(d - outer, w) - edgeCoverage(d - outer + sw, w);
        } else {
            cover = edgeCoverage(d, w);
        }
    }
    float a = ink.a * cover;
    if (a <= 0.0) discard;
    a *= clipCoverage(vUi, aa);
    if (a <= 0.0) discard;
    // Dither only the partly covered pixels, where long ramps would band.
    if (a < 1.0) a = clamp(a + dither(quality.z), 0.0, 1.0);
    fragColor = vec4(ink.rgb * a, a);
}
