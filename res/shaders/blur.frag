#version 330 core
// One direction of the glow's blur, drawn into the small blur buffers. Two
// bilinear fetches, `reach` texels either side of the centre, weigh the
// centre texel 1 - reach and each neighbour reach / 2: a spread (variance)
// of `reach` blur texels squared per pass, chosen by the frame code so that
// the passes together spread the glow as far as passes over the whole window
// would.

in vec2 texCoord;

out vec4 fragColor;

uniform sampler2D image;
uniform int horizontal;
// One texel of the blur buffers in texture coordinates.
uniform vec2 texelStep;
uniform float reach;

void main() {
    vec2 step = horizontal != 0 ? vec2(texelStep.x, 0.0) : vec2(0.0, texelStep.y);
    vec3 sum = texture(image, texCoord + step * reach).rgb +
               texture(image, texCoord - step * reach).rgb;
    fragColor = vec4(0.5 * sum, 1.0);
}
