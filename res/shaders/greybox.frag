#version 330 core
// Shape preview: every mesh in one plain grey, lit by the scene's point
// lights and ambient colour; no material or texture is needed.

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 texCoord;

out vec4 fragColor;

struct PointLight {
    vec3 position;
    vec3 color;
    vec3 attenuation; // constant, linear, quadratic
};

uniform vec3 camPos;
uniform float brightness;
uniform vec3 ambient;
uniform uint numDirLights;
uniform uint numPtLights;
uniform PointLight ptLights[16];

const vec3 GREY = vec3(0.5);
const float AMBIENT_SHARE = 0.2;
const float SPECULAR_SHARE = 0.25;
const float SHININESS = 16.0;
const float LIGHT_CUTOFF = 0.01;

float attenuate(vec3 factors, float distance) {
    float falloff = 1.0 / max(factors.x + factors.y * distance + factors.z * distance * distance,
                              1e-4);
    return max(falloff - LIGHT_CUTOFF, 0.0) / (1.0 - LIGHT_CUTOFF);
}

void main() {
    vec3 n = normalize(worldNormal);
    vec3 toEye = normalize(camPos - worldPosition);

    vec3 color = ambient * AMBIENT_SHARE * GREY;
    uint lights = min(numPtLights, 16u);
    for (uint i = 0u; i < lights; ++i) {
        vec3 toLight = ptLights[i].position - worldPosition;
        float distance = length(toLight);
        vec3 l = toLight / max(distance, 1e-6);
        float strength = attenuate(ptLights[i].attenuation, distance);
        float lambert = max(dot(n, l), 0.0);
        float highlight =
            lambert > 0.0 ? pow(max(dot(reflect(-l, n), toEye), 0.0), SHININESS) : 0.0;
        color += strength * ptLights[i].color * (lambert * GREY + highlight * SPECULAR_SHARE);
    }
    color *= brightness;

    vec3 mapped = vec3(1.0) - exp(-color * 2.2);
    fragColor = vec4(pow(mapped, vec3(1.0 / 2.2)), 1.0);
}
