#version 330 core
// One colour with its coverage: the menus' panels let the scene show through.

uniform vec4 color;

out vec4 fragColor;

void main() {
    fragColor = color;
}
