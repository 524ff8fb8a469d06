#version 330 core
// Role 2: one direction of a Gaussian blur; "stepv" is one texel along the
// pass direction, "sigma" the strength in texels.
uniform sampler2D src;
uniform vec2 stepv;
uniform float sigma;
in vec2 uv;
out vec4 color;

void main() {
    int reach = min(int(ceil(3.0 * sigma)), 64);
    vec4 sum = vec4(0.0);
    float total = 0.0;
    for (int k = -reach; k <= reach; k++) {
        float w = exp(-float(k * k) / (2.0 * sigma * sigma));
        sum += w * texture(src, uv + float(k) * stepv);
        total += w;
    }
    color = sum / total;
}
