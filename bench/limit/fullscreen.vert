#version 330 core
// One triangle over the whole viewport from the vertex index alone. What the
// passes need per pixel is linear across the screen, so the vertices carry
// it: the pixel's texture coordinate (blur) and the gradient's colour
// (background; the blur program leaves the colour unset and unused).
uniform vec4 backgroundColor;

out vec2 vUv;
out vec3 vColor;

void main() {
    vec2 p = vec2(gl_VertexID & 1, gl_VertexID >> 1) * 4.0 - 1.0;
    vUv = 0.5 * p + 0.5;
    vColor = backgroundColor.rgb * mix(0.55, 1.0, vUv.y);
    gl_Position = vec4(p, 0.0, 1.0);
}
