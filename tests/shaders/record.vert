#version 330 core
// Role 3: the quad of one record, "rect" = (x, y, width, height) in UI units,
// origin top left, y down; "view" is the UI size.
uniform vec4 rect;
uniform vec2 view;
out vec2 ui;
out vec2 local;

void main() {
    const vec2 corners[6] =
        vec2[6](vec2(0.0, 0.0), vec2(1.0, 0.0), vec2(0.0, 1.0), vec2(1.0, 0.0), vec2(1.0, 1.0),
                vec2(0.0, 1.0));
    local = corners[gl_VertexID];
    ui = rect.xy + local * rect.zw;
    gl_Position = vec4(ui.x / view.x * 2.0 - 1.0, 1.0 - ui.y / view.y * 2.0, 0.0, 1.0);
}
