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

const vec2 LIGHT = vec2(-0.7071068, -0.7071068);  // from the top left, y down

void main() {
    vec2 fw = fwidth(vUi);
    float aa = max(0.5 * (fw.x + fw.y), 1e-6);
    // Box 0 is the panel, whose normal shapes the bevel; boxes 1 to
    // shapeClipCount are the open clips. The panel's normal, and so the
    // bend, switches sides on a corner's diagonal, which can run exactly
    // through pixel centres; the pixel's offset from the centre is worked out
    // here from vUi rather than interpolated, so such a pixel takes the side
    // its exact position gives it, not one an interpolation's rounding picks.
    vec2 local = vUi - rect.xy - 0.5 * rect.zw;
    vec3 sd = vec3(0.0);
    float clip = 1.0;
    int i = 0;
    do {
        vec2 info;
        vec3 e = boxAt(i, i == 0, vUi, local, vCornerRadius, vCornerExponent, rect, cornerRadii, cornerHandles,
                        info);
        sd = i == 0 ? e : sd;
        clip *= i == 0 ? 1.0 : edgeCoverage(e.x - info.x, aa + max(info.y, 0.0));
    } while (++i < 1 + shapeClipCount);
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
