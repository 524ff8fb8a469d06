#version 330 core
// Glass panel: a rounded rectangle showing the backdrop behind it, bent by a
// rounded bevel along the rim, frosted (blurred) inside, tinted, lit along the
// rim and by a sheen that follows the pointer. Output is premultiplied.
// docs/command-records.md tells what each uniform component means.
in vec2 vUi;
out vec4 fragColor;

uniform sampler2D sharpTex;  // unit 0: the target as captured, target-sized
uniform sampler2D blurTex;   // unit 1: the blurred capture, same coordinates
uniform vec4 rect;           // x, y, width, height
uniform vec2 view;           // UI width, height
uniform vec4 extra;          // sheen radius, rim highlight width
uniform vec4 ink;            // tint colour, panel opacity
uniform vec4 optics;         // refraction, dispersion, frost, bevel width
uniform vec4 material;       // tint amount, saturation boost
uniform vec4 pointerv;       // pointer x, y, 1
uniform vec4 cornerRadii;    // top-left, top-right, bottom-right, bottom-left
uniform vec4 cornerHandles;  // smoothing of the same corners
uniform vec4 quality;        // feather, spread, dither
uniform vec4 highlightColor; // straight RGBA, alpha = strength
uniform vec4 shadowColor;    // straight RGBA, alpha = strength

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

const vec2 LIGHT = vec2(-0.7071068, -0.7071068);  // from the top left, y down

void main() {
    vec2 fw = fwidth(vUi);
    float aa = max(0.5 * (fw.x + fw.y), 1e-6);
    vec2 h = 0.5 * rect.zw;
    // Box 0 is the panel, whose normal shapes the bevel; boxes 1 to
    // shapeClipCount are the open clips.
    vec3 sd = vec3(0.0);
    float clip = 1.0;
    int i = 0;
    do {
        vec2 lp = vUi - rect.xy - h, b = h, info = vec2(0.0);
        vec4 r = cornerRadii, s = cornerHandles;
        if (i > 0) clipBox(max(i - 1, 0), vUi, lp, b, r, s, info);
        vec3 e = boxSdf(lp, b, r, s);
        if (i == 0) {
            sd = e;
        } else {
            clip *= edgeCoverage(e.x - info.x, aa + max(info.y, 0.0));
        }
    } while (++i < 1 + shapeClipCount && clip > 0.0);
    float d = sd.x - quality.y;
    float a = ink.a * edgeCoverage(d, aa + max(quality.x, 0.0)) * clip;
    if (a <= 0.0) discard;
    vec2 normal = sd.yz;
    float inside = -d;

    // Bevel: e runs from 1 at the rim to 0 where the flat face begins. A round
    // bevel's slope, and so the bend, is steepest at the rim.
    float bevel = max(optics.w, 0.0);
    float e = bevel > 0.0 ? clamp(1.0 - inside / bevel, 0.0, 1.0) : 0.0;
    float bend = 1.0 - sqrt(1.0 - e * e);
    vec2 uv = gl_FragCoord.xy / vec2(textureSize(sharpTex, 0));
    // The bevel gathers the backdrop from beyond the rim: a sample point moves
    // outward by up to optics.x, more the closer it is to the rim, so the
    // mapping never folds back on itself. The backdrop spans the view with y
    // up: UI offsets scale by 1 / view.
    vec2 off = normal * (optics.x * bend);
    vec2 duv = vec2(off.x, -off.y) / view;
    // Without a bend duv is 0 and the sample lands at uv itself; red bends
    // more than green and blue less, by the dispersion.
    float dispersion = clamp(optics.y, 0.0, 1.0);
    vec3 col = textureLod(sharpTex, uv + duv, 0.0).rgb;
    col.r = textureLod(sharpTex, uv + duv * (1.0 + dispersion), 0.0).r;
    col.b = textureLod(sharpTex, uv + duv * (1.0 - dispersion), 0.0).b;
    // Frost on the flat face, clear on the bevel: the rim stays sharp.
    float frost = clamp(optics.z, 0.0, 1.0) * smoothstep(0.0, 1.0, 1.0 - e);
    if (frost > 0.0) col = mix(col, textureLod(blurTex, uv + duv, 0.0).rgb, frost);

    float luma = dot(col, vec3(0.2126, 0.7152, 0.0722));
    col = clamp(mix(vec3(luma), col, 1.0 + material.y), 0.0, 1.0);
    col = mix(col, ink.rgb, clamp(material.x, 0.0, 1.0));

    // Rim light: strongest on the side facing the light, a trace all round;
    // shade across the bevel on the far side.
    float facing = dot(normal, LIGHT);
    float hw = max(extra.y, aa);
    float rim = 1.0 - smoothstep(0.0, hw, inside);
    float light = rim * (0.35 + 0.65 * max(facing, 0.0));
    float shade = (1.0 - smoothstep(0.0, max(bevel, hw), inside)) * max(-facing, 0.0);
    if (extra.x > 0.0 && pointerv.z > 0.0) {
        // Sheen: a soft glow around the pointer, brightest on the bevel.
        vec2 dp = (vUi - pointerv.xy) / extra.x;
        light += exp(-dot(dp, dp)) * (0.15 + 0.85 * max(e, rim));
    }
    col = mix(col, shadowColor.rgb, clamp(shadowColor.a * shade, 0.0, 1.0));
    col = mix(col, highlightColor.rgb, clamp(highlightColor.a * light, 0.0, 1.0));
    col = clamp(col + dither(quality.z), 0.0, 1.0);
    fragColor = vec4(col * a, a);
}
