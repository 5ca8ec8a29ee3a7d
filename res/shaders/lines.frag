#version 330 core
// Plain line colour: the lines are drawn over the finished scene, unlit.

in vec3 lineColor;

out vec4 fragColor;

void main() {
    fragColor = vec4(lineColor, 1.0);
}
