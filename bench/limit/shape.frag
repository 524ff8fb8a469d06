#version 330 core
// A filled rectangle with circular corners and an anti-aliased edge one pixel
// wide (the scene's UI units scale alike in x and y); premultiplied output.
in vec2 vLocal;
flat in vec3 vBox;
out vec4 fragColor;

uniform vec4 ink;

void main() {
    vec2 q = abs(vLocal) - vBox.xy;
    float d = length(max(q, 0.0)) + min(max(q.x, q.y), 0.0) - vBox.z;
    float a = ink.a * clamp(0.5 - d / fwidth(vLocal.x), 0.0, 1.0);
    fragColor = vec4(ink.rgb * a, a);
}
