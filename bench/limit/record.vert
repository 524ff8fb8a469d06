#version 330 core
// The quad of one record, the same as the reference's for the records the
// benchmark draws: the rectangle grown by 2 UI units of anti-aliased fringe,
// and for text (kind 2) the rectangle itself. What the fragment stage needs
// is worked out here: the position relative to the rectangle's centre, the
// half size less the corner radius (cornerRadii.x for all four corners) and
// the radius, and the atlas coordinate for text or the backdrop coordinate of
// the pixel for glass.
uniform vec4 rect;
uniform vec2 view;
uniform int kind;
uniform vec4 texRect;
uniform vec4 cornerRadii;

out vec2 vLocal;
flat out vec3 vBox;
out vec2 vUv;

void main() {
    vec2 corner = vec2((0x32 >> gl_VertexID) & 1, (0x2C >> gl_VertexID) & 1);
    float pad = kind == 2 ? 0.0 : 2.0;
    vec2 p = rect.xy - pad + corner * (rect.zw + 2.0 * pad);
    vec2 h = 0.5 * rect.zw;
    vLocal = p - rect.xy - h;
    vBox = vec3(h - cornerRadii.x, cornerRadii.x);
    gl_Position = vec4(p / view * vec2(2.0, -2.0) + vec2(-1.0, 1.0), 0.0, 1.0);
    vUv = kind == 2 ? mix(texRect.xy, texRect.zw, corner) : 0.5 * gl_Position.xy + 0.5;
}
