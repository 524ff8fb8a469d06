#version 330 core
// Role 0: one triangle covering the viewport, from gl_VertexID alone.
out vec2 uv;

void main() {
    vec2 p = vec2(float((gl_VertexID & 1) << 2), float((gl_VertexID & 2) << 1)) - 1.0;
    uv = p * 0.5 + 0.5;
    gl_Position = vec4(p, 0.0, 1.0);
}
