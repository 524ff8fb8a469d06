#version 330 core
// Text and images: the atlas region "texRect" stretched over the record's
// rectangle. Mask mode (extra.x = 0) takes coverage from the atlas alpha and
// colour from the ink; colour mode (extra.x = 1) takes straight RGBA from the
// atlas, multiplied by the ink. Corner radii, when set, round the quad.
// Output is premultiplied. docs/command-records.md tells the layout.
in vec2 vUi;
in vec2 vUv;
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

void main() {
    vec2 fw = fwidth(vUi);
    float aa = max(0.5 * (fw.x + fw.y), 1e-6);
    vec2 h = 0.5 * rect.zw;
    // Box 0 is the quad's own, which rounds it when a corner radius is set;
    // boxes 1 to shapeClipCount are the open clips.
    bool rounded = any(greaterThan(cornerRadii, vec4(0.0)));
    float a = ink.a, clip = 1.0;
    int i = 0;
    do {
        vec2 lp = vUi - rect.xy - h, b = h, info = vec2(0.0);
        vec4 r = cornerRadii, s = cornerHandles;
        if (i > 0) clipBox(max(i - 1, 0), vUi, lp, b, r, s, info);
        float e = boxDistance(lp, b, r, s) - info.x;
        if (i == 0) {
            if (rounded) a *= edgeCoverage(e, aa + max(quality.x, 0.0));
        } else {
            clip *= edgeCoverage(e, aa + max(info.y, 0.0));
        }
    } while (++i < 1 + shapeClipCount && clip > 0.0);
    a *= clip;
    if (a <= 0.0) discard;
    vec4 texel = textureLod(atlas, vUv, 0.0);
    vec3 rgb = ink.rgb;
    if (extra.x >= 0.5) rgb *= texel.rgb;
    a *= texel.a;
    if (a <= 0.0) discard;
    fragColor = vec4(rgb * a, a);
}
