#version 330 core
// A vertical gradient of "backgroundColor", darker at the bottom, worked out
// by the vertices.
in vec3 vColor;
out vec4 fragColor;

void main() {
    fragColor = vec4(vColor, 1.0);
}
