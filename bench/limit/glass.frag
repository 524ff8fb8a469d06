#version 330 core
// The blurred backdrop under the panel's rectangle with circular corners and
// an anti-aliased edge, as in shape.frag; premultiplied output.
in vec2 vLocal;
flat in vec3 vBox;
in vec2 vUv;
out vec4 fragColor;

uniform sampler2D blurTex;
uniform vec4 ink;

void main() {
    vec2 q = abs(vLocal) - vBox.xy;
    float d = length(max(q, 0.0)) + min(max(q.x, q.y), 0.0) - vBox.z;
    float a = ink.a * clamp(0.5 - d / fwidth(vLocal.x), 0.0, 1.0);
    fragColor = vec4(textureLod(blurTex, vUv, 0.0).rgb * a, a);
}
