#version 330 core
// One direction of a separable Gaussian blur. The 9-tap kernel (binomial
// weights of row 8 without its two outermost taps, renormalised) is read with
// 5 fetches: each pair of neighbouring taps becomes one bilinear fetch placed
// between them at the offset where the hardware's linear filter mixes them in
// the right proportion.

in vec2 texCoord;

out vec4 fragColor;

uniform sampler2D image;
uniform int horizontal;

const float WEIGHTS[3] = float[](0.2270270270, 0.3162162162, 0.0702702703);
const float OFFSETS[3] = float[](0.0, 1.3846153846, 3.2307692308);

void main() {
    vec2 texel = 1.0 / vec2(textureSize(image, 0));
    vec2 step = horizontal != 0 ? vec2(texel.x, 0.0) : vec2(0.0, texel.y);
    vec3 sum = texture(image, texCoord).rgb * WEIGHTS[0];
    for (int i = 1; i < 3; ++i) {
        sum += texture(image, texCoord + step * OFFSETS[i]).rgb * WEIGHTS[i];
        sum += texture(image, texCoord - step * OFFSETS[i]).rgb * WEIGHTS[i];
    }
    fragColor = vec4(sum, 1.0);
}
