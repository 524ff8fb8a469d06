#version 330 core
// Role 5: a flat shape in its ink, confined by the shaped clip stack. The
// tests pass premultiplied ink, so the renderer's "over" blending gives exact
// results. extra.z selects a probe (see common_probe).
in vec2 ui;
out vec4 color;

uniform int kind;
uniform vec4 ink;
uniform vec4 extra;
uniform float radius;
uniform vec4 cornerRadii;
uniform vec4 cornerHandles;
uniform vec4 quality;

// What the record asks to be painted in place of the normal output, chosen by
// extra.z; every uniform that all three programs receive can thus be seen in
// pixels, and each has a location of its own. Returns false for extra.z = 0.
bool common_probe(out vec4 color) {
    int probe = int(extra.z);
    if (probe == 1) color = ink;
    else if (probe == 2) color = vec4(extra.xy, 0.0, 1.0 - extra.w);
    else if (probe == 3) color = cornerRadii;
    else if (probe == 4) color = cornerHandles;
    else if (probe == 5) color = vec4(quality.xyz, 1.0 - quality.w);
    else if (probe == 6) color = vec4(radius, float(kind) / 32.0, 0.0, 1.0);
    else return false;
    return true;
}

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
        float corner = shapeClipRadii[k].x;
        if (shapeClipHandles[k] != vec4(0.0) || shapeClipInfo[k].zw != vec2(0.0)) return true;
        if (p.x < r.x || p.y < r.y || p.x > r.x + r.z || p.y > r.y + r.w) return true;
        vec2 nearest = clamp(p, r.xy + corner, r.xy + r.zw - corner);
        if (distance(p, nearest) > corner) return true;
    }
    return false;
}

void main() {
    if (clipped(ui)) discard;
    if (!common_probe(color)) color = ink;
}
