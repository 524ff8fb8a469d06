#version 330 core
// Role 1: the base colour, or the accent when "palette" is set. With "grid"
// set the leftmost pixel column is white; with "time" above 100 the rightmost
// column ("res".x) is green. Every value thus shows in pixels.
uniform vec2 res;
uniform float time;
uniform float grid;
uniform float palette;
uniform vec4 backgroundColor;
uniform vec4 backgroundAccent;
out vec4 color;

void main() {
    color = palette > 0.5 ? backgroundAccent : backgroundColor;
    if (grid > 0.5 && gl_FragCoord.x < 1.0) color = vec4(1.0);
    if (time > 100.0 && gl_FragCoord.x > res.x - 1.0) color = vec4(0.0, 1.0, 0.0, 1.0);
}
