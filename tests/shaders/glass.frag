#version 330 core
// Role 4: glass that shows half the blurred backdrop ("blurTex") and half the
// ink, opaque. extra.z selects a probe: those of common_probe, and 7
// "optics", 8 "material", 9 "pointerv", 10 "highlightColor", 11
// "shadowColor", 12 the sharp backdrop ("sharpTex").
uniform sampler2D sharpTex;
uniform sampler2D blurTex;
uniform vec4 optics;
uniform vec4 material;
uniform vec4 pointerv;
uniform vec4 highlightColor;
uniform vec4 shadowColor;
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
    if (common_probe(color)) return;
    vec2 st = gl_FragCoord.xy / vec2(textureSize(sharpTex, 0));
    int probe = int(extra.z);
    if (probe == 7) color = optics;
    else if (probe == 8) color = vec4(material.xyz, 1.0 - material.w);
    else if (probe == 9) color = vec4(pointerv.xyz, 1.0 - pointerv.w);
    else if (probe == 10) color = highlightColor;
    else if (probe == 11) color = shadowColor;
    else if (probe == 12) color = texture(sharpTex, st);
    else color = vec4(0.5 * texture(blurTex, st).rgb + 0.5 * ink.rgb, 1.0);
}
