#version 330 core
// Shrinks the window-sized bright parts to the blur buffers' size, four
// window pixels to a side per blur texel. Four bilinear fetches, each
// halfway between two rows and two columns, average the whole 4 x 4 block,
// so a bright spot of one pixel still reaches the glow whatever its place.

in vec2 texCoord;

out vec4 fragColor;

uniform sampler2D image;
// One window pixel in texture coordinates.
uniform vec2 texelStep;

void main() {
    vec3 sum = texture(image, texCoord + texelStep * vec2(-1.0, -1.0)).rgb +
               texture(image, texCoord + texelStep * vec2(1.0, -1.0)).rgb +
               texture(image, texCoord + texelStep * vec2(-1.0, 1.0)).rgb +
               texture(image, texCoord + texelStep * vec2(1.0, 1.0)).rgb;
    fragColor = vec4(0.25 * sum, 1.0);
}
