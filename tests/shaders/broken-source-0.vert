#version 330 core
// Does not compile: names an identifier nothing declares.
void main() {
    gl_Position = vec4(undeclared_in_source_zero);
}
