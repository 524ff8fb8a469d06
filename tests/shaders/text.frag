#version 330 core
// Role 6: the atlas texel at mix(texRect.xy, texRect.zw, local), as stored.
uniform sampler2D atlas;
uniform vec4 texRect;
in vec2 ui;
in vec2 local;
out vec4 color;

uniform int shapeClipCount;
uniform vec4 shapeClipRects[32];    // x, y, width, height in UI units
uniform vec4 shapeClipRadii[32];    // corner radius in x
uniform vec4 shapeClipHandles[32];  // must be 0: no smoothing here
uniform vec4 shapeClipInfo[32];     // must be (any, any, 0, 0)

// True when p (UI units) lies outside one of the open clips, each a
// rectangle with round corners. An entry with non-zero handles or a non-zero
// info z or w clips everything, so a value routed to the wrong place shows.
bool clipped(vec2 p) {
    for (int k = 0; k < shapeClipCount; k++) {
        vec4 r = shapeClipRects[k];
        float radius = shapeClipRadii[k].x;
        if (shapeClipHandles[k] != vec4(0.0) || shapeClipInfo[k].zw != vec2(0.0)) return true;
        if (p.x < r.x || p.y < r.y || p.x > r.x + r.z || p.y > r.y + r.w) return true;
        vec2 nearest = clamp(p, r.xy + radius, r.xy + r.zw - radius);
        if (distance(p, nearest) > radius) return true;
    }
    return false;
}

void main() {
    if (clipped(ui)) discard;
    color = texture(atlas, mix(texRect.xy, texRect.zw, local));
}
