#version 330 core
// Glyph quads in window pixels: x, y position and u, v texture coordinate.

layout(location = 0) in vec4 vertex;

uniform mat4 projection;

out vec2 texCoord;

void main() {
    texCoord = vertex.zw;
    gl_Position = projection * vec4(vertex.xy, 0.0, 1.0);
}
