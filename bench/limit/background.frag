#version 330 core
// A vertical gradient of "backgroundColor", darker at the bottom.
uniform vec2 res;
uniform vec4 backgroundColor;

out vec4 fragColor;

void main() {
    fragColor = vec4(backgroundColor.rgb * mix(0.55, 1.0, gl_FragCoord.y / res.y), 1.0);
}
