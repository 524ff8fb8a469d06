#version 330 core
// The blurred backdrop under the panel's rounded rectangle (circular corners
// of radius cornerRadii.x, anti-aliased edge); premultiplied output.
in vec2 vUi;
out vec4 fragColor;

uniform sampler2D sharpTex;
uniform sampler2D blurTex;
uniform vec4 rect;
uniform vec4 ink;
uniform vec4 cornerRadii;

void main() {
    vec2 h = 0.5 * rect.zw;
    vec2 q = abs(vUi - rect.xy - h) - h + cornerRadii.x;
    float d = length(max(q, 0.0)) + min(max(q.x, q.y), 0.0) - cornerRadii.x;
    vec2 fw = fwidth(vUi);
    float a = ink.a * clamp(0.5 - d / (0.5 * (fw.x + fw.y)), 0.0, 1.0);
    vec2 uv = gl_FragCoord.xy / vec2(textureSize(sharpTex, 0));
    fragColor = vec4(textureLod(blurTex, uv, 0.0).rgb * a, a);
}
