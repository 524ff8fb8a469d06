#version 330 core
// One direction of a separable Gaussian blur. "sigma" is in texels of "src",
// "stepv" is one texel along the pass direction in texture coordinates.
// Taps i and i+1 are fetched together with one bilinear sample placed between
// them by their weights, so a kernel of radius 3*sigma costs about half as many
// fetches as texels. The weights are summed as they are used, so a flat image
// stays exactly flat; the texture's clamp-to-edge wrap extends the border.
uniform sampler2D src;
uniform vec2 stepv;
uniform float sigma;

out vec4 fragColor;

void main() {
    vec2 uv = gl_FragCoord.xy / vec2(textureSize(src, 0));
    vec4 acc = texture(src, uv);
    // Also false for NaN: below this the outer weights are zero anyway.
    if (!(sigma > 0.05)) {
        fragColor = acc;
        return;
    }
    float k = -0.5 / (sigma * sigma);
    int radius = min(int(ceil(3.0 * sigma)), 96);
    float total = 1.0;
    for (int i = 1; i <= radius; i += 2) {
        float a = float(i);
        float wa = exp(k * a * a);
        float wb = exp(k * (a + 1.0) * (a + 1.0));
        float w = wa + wb;
        // Weights only shrink from here; stop before 0/0 turns into NaN.
        if (w < 1e-6) break;
        vec2 d = stepv * (a + wb / w);
        acc += w * (texture(src, uv + d) + texture(src, uv - d));
        total += 2.0 * w;
    }
    fragColor = acc / total;
}
