#version 330 core
// Coverage from the atlas alpha times the ink; premultiplied output.
in vec2 vUv;
out vec4 fragColor;

uniform sampler2D atlas;
uniform vec4 ink;

void main() {
    float a = ink.a * textureLod(atlas, vUv, 0.0).a;
    fragColor = vec4(ink.rgb * a, a);
}
