#version 330 core
// One triangle that covers the whole viewport: vertices 0, 1, 2 land on
// (-1,-1), (3,-1) and (-1,3) in clip space. No vertex data is bound.
void main() {
    vec2 p = vec2(float((gl_VertexID & 1) << 2), float((gl_VertexID & 2) << 1)) - 1.0;
    gl_Position = vec4(p, 0.0, 1.0);
}
