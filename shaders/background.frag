#version 330 core
// Animated full-screen background: a vertical gradient of "backgroundColor"
// with three soft glows of "backgroundAccent" drifting slowly with "time",
// an optional pixel grid ("grid" = 1) and a light or dark palette ("palette"
// 1 = light, 0 = dark; values between blend). "res" is the output size in
// pixels; positions are relative to it so the picture scales with the window.
//
// A software rasterizer runs every instruction for every pixel, the grid's
// too when it is off, so everything that is the same for the whole frame (the
// glows' centres, the palette's colours, the grid's spacing) comes from
// fullscreen.vert, and the grid is faded in by a factor instead of a branch.
uniform vec2 res;
uniform float time;
uniform float grid;
uniform float palette;
uniform vec4 backgroundColor;
uniform vec4 backgroundAccent;

flat in vec4 vGlows;     // centres of glows 1 and 2, in height units
flat in vec4 vGlow3;     // centre of glow 3, aspect, grid scale
flat in vec3 vTop;       // gradient colour at the top
flat in vec3 vBottom;    // and at the bottom
flat in vec3 vGlowColor;
flat in vec4 vMix;       // glow strength, vignette strength, grid line shade, grid on

out vec4 fragColor;

// exp(-|p - c|^2 / r^2) as a power of two; k = log2(e) / r^2.
float glow(vec2 p, vec2 c, float k) {
    vec2 d = p - c;
    return exp2(-k * dot(d, d));
}

// Coverage of one-pixel grid lines every `cell` pixels.
float gridLines(vec2 px, float cell) {
    vec2 g = abs(fract(px / cell + 0.5) - 0.5) * cell;
    return clamp(1.0 - min(g.x, g.y), 0.0, 1.0);
}

void main() {
    vec2 px = gl_FragCoord.xy;
    vec2 uv = px / max(res, vec2(1.0));
    vec2 p = vec2(uv.x * vGlow3.z, uv.y);

    float f = glow(p, vGlows.xy, 4.7692398) + 0.8 * glow(p, vGlows.zw, 5.7707802)
            + 0.6 * glow(p, vGlow3.xy, 7.1244200);
    vec3 col = mix(vBottom, vTop, uv.y);
    col = mix(col, vGlowColor, clamp(f, 0.0, 1.0) * vMix.x);

    float scale = vGlow3.w;
    float minor = gridLines(px, 32.0 * scale);
    float major = gridLines(px, 128.0 * scale);
    vec2 c = uv - 0.5;
    float r2 = dot(c, c);
    float amount = max(minor * 0.05, major * 0.10) * (1.0 - 1.2 * r2) * vMix.w;
    col = mix(col, vec3(vMix.z), amount);

    // Vignette in the dark palette only.
    col *= 1.0 - vMix.y * r2;

    // Half an 8-bit step of noise hides the bands of the long gradients.
    float n = fract(52.9829189 * fract(dot(px, vec2(0.06711056, 0.00583715))));
    col += (n - 0.5) / 255.0;
    fragColor = vec4(clamp(col, 0.0, 1.0), 1.0);
}
