#version 330 core
// Collision shapes as lines: world-space ends with one colour each.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 color;

uniform mat4 projView;

out vec3 lineColor;

void main() {
    lineColor = color;
    gl_Position = projView * vec4(position, 1.0);
}
