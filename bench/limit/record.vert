#version 330 core
// The quad of one record, the same as the reference's for the records the
// benchmark draws: the rectangle grown by 2 UI units of anti-aliased fringe,
// and for text (kind 2) the rectangle itself, mapped onto "texRect".
uniform vec4 rect;
uniform vec2 view;
uniform int kind;
uniform vec4 texRect;

out vec2 vUi;
out vec2 vUv;

void main() {
    vec2 corner = vec2((0x32 >> gl_VertexID) & 1, (0x2C >> gl_VertexID) & 1);
    float pad = kind == 2 ? 0.0 : 2.0;
    vUi = rect.xy - pad + corner * (rect.zw + 2.0 * pad);
    vUv = mix(texRect.xy, texRect.zw, corner);
    gl_Position = vec4(vUi / view * vec2(2.0, -2.0) + vec2(-1.0, 1.0), 0.0, 1.0);
}
