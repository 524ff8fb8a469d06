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

void main() {
    vec2 fw = fwidth(vUi);
    float aa = max(0.5 * (fw.x + fw.y), 1e-6);
    float a = ink.a;
    if (any(greaterThan(cornerRadii, vec4(0.0)))) {
        vec2 h = 0.5 * rect.zw;
        float d = boxSdf(vUi - rect.xy - h, h, cornerRadii, cornerHandles).x;
        a *= edgeCoverage(d, aa + max(quality.x, 0.0));
    }
    if (a <= 0.0) discard;
    a *= clipCoverage(vUi, aa);
    if (a <= 0.0) discard;
    vec4 texel = textureLod(atlas, vUv, 0.0);
    vec3 rgb = ink.rgb;
    if (extra.x >= 0.5) rgb *= texel.rgb;
    a *= texel.a;
    if (a <= 0.0) discard;
    fragColor = vec4(rgb * a, a);
}
