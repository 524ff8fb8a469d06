#version 330 core
// Animated full-screen background: a vertical gradient of "backgroundColor"
// with three soft glows of "backgroundAccent" drifting slowly with "time",
// an optional pixel grid ("grid" = 1) and a light or dark palette ("palette"
// 1 = light, 0 = dark; values between blend). "res" is the output size in
// pixels; positions are relative to it so the picture scales with the window.
uniform vec2 res;
uniform float time;
uniform float grid;
uniform float palette;
uniform vec4 backgroundColor;
uniform vec4 backgroundAccent;

out vec4 fragColor;

float glow(vec2 p, vec2 c, float r) {
    vec2 d = (p - c) / r;
    return exp(-dot(d, d));
}

// Coverage of one-pixel grid lines every `cell` pixels.
float gridLines(vec2 px, float cell) {
    vec2 g = abs(fract(px / cell + 0.5) - 0.5) * cell;
    return clamp(1.0 - min(g.x, g.y), 0.0, 1.0);
}

void main() {
    vec2 size = max(res, vec2(1.0));
    vec2 px = gl_FragCoord.xy;
    vec2 uv = px / size;
    float aspect = size.x / size.y;
    vec2 p = vec2(uv.x * aspect, uv.y);
    float t = time;

    float f = glow(p, vec2(aspect * (0.25 + 0.10 * sin(t * 0.21)), 0.78 + 0.10 * cos(t * 0.17)), 0.55)
            + 0.8 * glow(p, vec2(aspect * (0.80 + 0.08 * cos(t * 0.13)), 0.30 + 0.12 * sin(t * 0.19)), 0.50)
            + 0.6 * glow(p, vec2(aspect * (0.55 + 0.15 * sin(t * 0.11 + 1.7)), 0.05 + 0.10 * cos(t * 0.23)), 0.45);
    f = clamp(f, 0.0, 1.0);

    vec3 base = backgroundColor.rgb;
    vec3 accent = backgroundAccent.rgb;
    float light = clamp(palette, 0.0, 1.0);
    vec3 top = mix(base, mix(base, vec3(1.0), 0.85), light);
    vec3 bottom = mix(base * 0.55, mix(base, vec3(1.0), 0.68), light);
    vec3 glowColor = mix(accent * 0.8, mix(accent, vec3(1.0), 0.45), light);
    vec3 col = mix(bottom, top, uv.y);
    col = mix(col, glowColor, f * mix(0.55, 0.45, light));

    if (grid > 0.5) {
        float scale = max(1.0, floor(size.y / 1080.0 + 0.5));
        float minor = gridLines(px, 32.0 * scale);
        float major = gridLines(px, 128.0 * scale);
        vec2 c = uv - 0.5;
        float fade = 1.0 - 0.6 * dot(c, c) * 2.0;
        float amount = max(minor * 0.05, major * 0.10) * fade;
        col = mix(col, mix(vec3(1.0), vec3(0.0), light), amount);
    }

    // Vignette in the dark palette only.
    vec2 v = uv - 0.5;
    col *= mix(1.0 - 0.35 * dot(v, v), 1.0, light);

    // Half an 8-bit step of noise hides the bands of the long gradients.
    float n = fract(52.9829189 * fract(dot(px, vec2(0.06711056, 0.00583715))));
    col += (n - 0.5) / 255.0;
    fragColor = vec4(clamp(col, 0.0, 1.0), 1.0);
}
