#version 330 core
// One direction of a Gaussian blur ("stepv" = one texel of "src" along it,
// "sigma" in texels) with as many texture reads per pixel as the reference
// makes in its second pass at any sigma, and in both passes at sigma 4:
// eight bilinear fetches, four each side at (i + 0.5) * d texels, d = 3 sigma
// / 4, weighted by the Gaussian there. The weights do not depend on sigma, so
// the compiler folds them. Above a sigma of about 2.7 texels the fetches lie
// more than two texels apart and the blur is no longer exact: this shader is
// a price, not a picture.
in vec2 vUv;
out vec4 fragColor;

uniform sampler2D src;
uniform vec2 stepv;
uniform float sigma;

void main() {
    vec2 d = 0.75 * sigma * stepv;
    vec4 acc = vec4(0.0);
    float total = 0.0;
    for (int i = 0; i < 4; i++) {
        float o = float(i) + 0.5;
        float w = exp(-0.28125 * o * o);
        acc += w * (textureLod(src, vUv + o * d, 0.0) + textureLod(src, vUv - o * d, 0.0));
        total += 2.0 * w;
    }
    fragColor = acc / total;
}
