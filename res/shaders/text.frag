#version 330 core
// A glyph: its coverage (red channel of the glyph bitmap) becomes the alpha
// of the text colour, which the window's blending lays over the frame.

in vec2 texCoord;

out vec4 fragColor;

uniform sampler2D glyph;
uniform vec3 textColor;

void main() {
    fragColor = vec4(textColor, texture(glyph, texCoord).r);
}
