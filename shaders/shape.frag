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

// A software rasterizer such as llvmpipe runs every branch of a shader for
// every pixel, and a loop one time more than it turns. So the rounded boxes a
// pixel is tested against (the draw's own and each open clip) are measured in
// one do-while loop around a single copy of the distance code, and a branch
// selects inputs rather than skipping work.

// The p-norm k = (u.x^n + u.y^n)^(1/n) of a corner offset u (in corner radii,
// both components above 0) and its gradient (u / k)^(n - 1), as (k, gradient).
// Written around the larger component, whose power is factored out, it takes
// three logarithms and four powers of two where pow would take ten.
vec3 superellipse(vec2 u, float n) {
    vec2 l = log2(u);
    float top = max(l.x, l.y), gap = min(l.x, l.y) - top;
    float sum = log2(1.0 + exp2(n * gap));
    float larger = exp2((1.0 - n) / n * sum);
    float smaller = larger * exp2((n - 1.0) * gap);
    vec2 g = l.x >= l.y ? vec2(larger, smaller) : vec2(smaller, larger);
    return vec3(exp2(top + sum / n), g);
}

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
    vec3 c = superellipse(q / re, n);
    float gl = length(c.yz);
    return vec3((c.x - 1.0) * re / gl, sg * c.yz / gl);
}

// The distance of boxSdf alone.
float boxDistance(vec2 p, vec2 b, vec4 r, vec4 s) {
    vec2 side = step(0.0, p);
    float rad = max(mix(mix(r.x, r.y, side.x), mix(r.w, r.z, side.x), side.y), 0.0);
    float smo = clamp(mix(mix(s.x, s.y, side.x), mix(s.w, s.z, side.x), side.y), 0.0, 1.0);
    float n = 2.0 + 2.0 * smo;
    float re = min(rad * 0.2928932 / (1.0 - exp2(-1.0 / n)), max(min(b.x, b.y), 0.0));
    vec2 q = abs(p) - b + re;
    if (q.x <= 0.0 || q.y <= 0.0) return max(q.x, q.y) - re;
    if (smo <= 0.0 || re <= 0.0) return length(q) - re;
    vec3 c = superellipse(q / re, n);
    return (c.x - 1.0) * re / length(c.yz);
}

// Coverage 0..1 of the edge at distance d for a ramp of width w.
float edgeCoverage(float d, float w) {
    return clamp(0.5 - d / w, 0.0, 1.0);
}

// Open clip i (0-based) seen from p: p relative to the clip's centre, its half
// size, radii and smoothing, and its spread and feather.
void clipBox(int i, vec2 p, out vec2 local, out vec2 halfSize, out vec4 radii, out vec4 handles,
             out vec2 info) {
    vec4 box = shapeClipRects[i];
    halfSize = 0.5 * box.zw;
    local = p - box.xy - halfSize;
    radii = shapeClipRadii[i];
    handles = shapeClipHandles[i];
    info = shapeClipInfo[i].xy;
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
// Only SHADOW_ROWS rows give the coverage; a pixel whose result goes unused
// passes 1 and pays for one row.
const int SHADOW_ROWS = 16;

float shadowCoverage(vec2 p, vec2 b, vec4 r, vec4 s, float sigma, int rows) {
    vec2 o = abs(p) - b;
    if (max(o.x, o.y) > 3.0 * sigma) return 0.0;
    float maxR = max(max(r.x, r.y), max(r.z, r.w)) * 1.85;
    if (max(o.x, o.y) < -3.0 * sigma - maxR) return 1.0;
    float lo = max(p.y - 3.0 * sigma, -b.y);
    float hi = min(p.y + 3.0 * sigma, b.y);
    if (lo >= hi) return 0.0;
    float m = max(min(b.x, b.y), 0.0);
    float inv = 0.7071068 / sigma;
    float dy = (hi - lo) / float(SHADOW_ROWS);
    float sum = 0.0;
    int i = 0;
    do {
        float y = lo + (float(i) + 0.5) * dy;
        bool top = y < 0.0;
        float x0 = -b.x + cornerInset(y, b.y, top ? r.x : r.w, top ? s.x : s.w, m);
        float x1 = b.x - cornerInset(y, b.y, top ? r.y : r.z, top ? s.y : s.z, m);
        float t = (y - p.y) / sigma;
        sum += exp(-0.5 * t * t) * (erf((x1 - p.x) * inv) - erf((x0 - p.x) * inv));
    } while (++i < rows);
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
    bool shadow = kind == 4;
    float sigma = 0.5 * max(radius, 0.0);
    // The record's own box: for a shadow the caster moved by the offset and
    // grown by the spread, radii with it; otherwise the rectangle, whose
    // spread is subtracted from the distance.
    vec2 own = vUi - centre - (shadow ? extra.xy : vec2(0.0));
    vec2 ownHalf = shadow ? max(h + spread, 0.0) : h;
    vec4 ownRadii = shadow ? max(cornerRadii + spread, 0.0) * step(0.001, cornerRadii) : cornerRadii;
    // Box 0 is the record's own, boxes 1 to shapeClipCount the open clips and,
    // for a knockout shadow, the last one the caster's unmoved box.
    bool knockout = shadow && extra.z > 0.5;
    int boxes = 1 + shapeClipCount + (knockout ? 1 : 0);
    float d = 0.0, clip = 1.0;
    int i = 0;
    do {
        vec2 lp = own, b = ownHalf, info = vec2(0.0);
        vec4 r = ownRadii, s = cornerHandles;
        if (i > 0 && i <= shapeClipCount) clipBox(max(i - 1, 0), vUi, lp, b, r, s, info);
        if (i > shapeClipCount) {
            lp = vUi - centre;
            b = h;
            r = cornerRadii;
        }
        float e = boxDistance(lp, b, r, s) - info.x;
        if (i == 0) {
            d = shadow ? e : e - spread;
        } else if (i <= shapeClipCount) {
            clip *= edgeCoverage(e, aa + max(info.y, 0.0));
        } else {
            clip *= 1.0 - edgeCoverage(e, aa);
        }
    } while (++i < boxes && clip > 0.0);
    float cover;
    bool soft = shadow && sigma >= 0.5 * aa;
    float blurred = shadowCoverage(own, ownHalf, ownRadii, cornerHandles, sigma, soft ? SHADOW_ROWS : 1);
    if (shadow) {
        cover = soft ? blurred : edgeCoverage(d, w);
    } else if (kind == 3) {
        // A band from width * (alignment - 1) inside to width * alignment
        // outside the edge: 0 is an inside stroke, 0.5 centred, 1 outside.
        float sw = max(extra.x, 0.0);
        float outer = sw * clamp(extra.y, 0.0, 1.0);
        cover = edgeCoverage(d - outer, w) - edgeCoverage(d - outer + sw, w);
    } else {
        cover = edgeCoverage(d, w);
    }
    float a = ink.a * cover * clip;
    if (a <= 0.0) discard;
    // Dither only the partly covered pixels, where long ramps would band.
    if (a < 1.0) a = clamp(a + dither(quality.z), 0.0, 1.0);
    fragColor = vec4(ink.rgb * a, a);
}
