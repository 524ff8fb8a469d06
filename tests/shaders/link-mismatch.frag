#version 330 core
// Compiles, but does not link with record.vert, which declares "view" as a
// vec2.
uniform float view;
out vec4 color;

void main() {
    color = vec4(view);
}
