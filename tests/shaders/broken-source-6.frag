#version 330 core
// Does not compile: names an identifier nothing declares.
out vec4 color;

void main() {
    color = vec4(undeclared_in_source_six);
}
