#version 330 core
// The sky's colour for both outputs of the scene pass: the sky itself, and
// the share of its brightest stars that glows.

in vec3 direction;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 brightColor;

uniform samplerCube cubemap;
uniform float brightness;

// SKY_GLOW_THRESHOLD of the frame code: below it the frame does not even
// keep this output.
const float BLOOM_THRESHOLD = 1.2;

void main() {
    // Cube map faces hold sRGB colour; the frame works on linear values.
    vec3 color = pow(texture(cubemap, direction).rgb, vec3(2.2)) * brightness;
    fragColor = vec4(color, 1.0);
    float luminance = dot(color, vec3(0.2126, 0.7152, 0.0722));
    brightColor = vec4(color * max(luminance - BLOOM_THRESHOLD, 0.0) / max(luminance, 1e-4), 1.0);
}
