#version 330 core
// Final pass: adds the blurred glow to the scene, maps the high dynamic range
// to the screen with an exposure curve and gamma-corrects for display.

in vec2 texCoord;

out vec4 fragColor;

uniform sampler2D scene;
uniform sampler2D bloomBlur;
uniform int bloom;
uniform float exposure;

const float GAMMA = 2.2;

void main() {
    // The scene buffer has the window's size: one texel per pixel, no filter.
    vec3 color = texelFetch(scene, ivec2(gl_FragCoord.xy), 0).rgb;
    if (bloom != 0) {
        // The small glow buffer, filtered back up to the window's pixels.
        color += texture(bloomBlur, texCoord).rgb;
    }
    // Exponential exposure: linear for dim values, saturating smoothly
    // instead of clipping for bright ones.
    vec3 mapped = vec3(1.0) - exp(-max(color, vec3(0.0)) * exposure);
    fragColor = vec4(pow(mapped, vec3(1.0 / GAMMA)), 1.0);
}
