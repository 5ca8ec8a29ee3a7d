#version 330 core
// One direction of the glow's blur, drawn into the half-size blur buffers.
// Two bilinear fetches, 0.7135 texel either side of the centre, weigh the
// centre texel 0.2865 and each neighbour 0.357: a spread (variance) of 0.7135
// blur texels squared per pass, which is the 2.85 window pixels squared of a
// 9-tap binomial pass (row 12 of the binomial, outer taps dropped) at full
// size, so the passes together spread the glow as far as full-size passes
// would. The first pass reads the full-size
// bright parts, and its linear filter averages them down to half size.

in vec2 texCoord;

out vec4 fragColor;

uniform sampler2D image;
uniform int horizontal;
// One texel of the blur buffers in texture coordinates.
uniform vec2 texelStep;

const float REACH = 0.7135;

void main() {
    vec2 step = horizontal != 0 ? vec2(texelStep.x, 0.0) : vec2(0.0, texelStep.y);
    vec3 sum = texture(image, texCoord + step * REACH).rgb +
               texture(image, texCoord - step * REACH).rgb;
    fragColor = vec4(0.5 * sum, 1.0);
}
