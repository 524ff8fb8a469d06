#version 330 core
// Role 5: a flat shape confined by the shaped clip stack. "kind" selects what
// is painted, so each value of a shape record can be seen in pixels: 13
// paints "extra", 14 "quality", 15 "cornerRadii", 16 "cornerHandles", 17
// "radius" as grey; every other kind paints "ink" as given (the tests pass
// premultiplied ink, so the renderer's "over" blending gives exact results).
uniform int kind;
uniform vec4 ink;
uniform vec4 extra;
uniform vec4 quality;
uniform vec4 cornerRadii;
uniform vec4 cornerHandles;
uniform float radius;
in vec2 ui;
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
    if (kind == 13) color = vec4(extra.xyz, 1.0 - extra.w);
    else if (kind == 14) color = vec4(quality.xyz, 1.0 - quality.w);
    else if (kind == 15) color = cornerRadii;
    else if (kind == 16) color = cornerHandles;
    else if (kind == 17) color = vec4(vec3(radius), 1.0);
    else color = ink;
}
