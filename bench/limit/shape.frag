#version 330 core
// A filled rectangle with circular corners of radius cornerRadii.x and an
// anti-aliased edge one pixel wide; premultiplied output.
in vec2 vUi;
out vec4 fragColor;

uniform vec4 rect;
uniform vec4 ink;
uniform vec4 cornerRadii;

void main() {
    vec2 h = 0.5 * rect.zw;
    vec2 q = abs(vUi - rect.xy - h) - h + cornerRadii.x;
    float d = length(max(q, 0.0)) + min(max(q.x, q.y), 0.0) - cornerRadii.x;
    vec2 fw = fwidth(vUi);
    float a = ink.a * clamp(0.5 - d / (0.5 * (fw.x + fw.y)), 0.0, 1.0);
    fragColor = vec4(ink.rgb * a, a);
}
