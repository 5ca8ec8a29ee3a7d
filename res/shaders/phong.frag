#version 330 core
// Phong lighting from up to 16 point lights with the mesh's material and
// diffuse texture, tone-mapped for direct display.

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

uniform sampler2D diffuseColor;
// Without its own diffuse texture a material takes its diffuse colour (the
// sampler then holds another mesh's texture and is not read).
uniform int hasDiffuseTexture;
uniform vec3 materialDiffuse;
uniform vec3 emissiveColor;
uniform vec3 ambientColor;
uniform vec3 specularColor;
uniform float diffuseIntensity;
uniform float expShininess;

// Below this share of its full strength a light ends, so that it leaves no
// faint glow across the whole level.
const float LIGHT_CUTOFF = 0.01;

float attenuate(vec3 factors, float distance) {
    float falloff = 1.0 / max(factors.x + factors.y * distance + factors.z * distance * distance,
                              1e-4);
    return max(falloff - LIGHT_CUTOFF, 0.0) / (1.0 - LIGHT_CUTOFF);
}

void main() {
    // Textures hold sRGB colour; lighting works on linear values.
    vec3 albedo = hasDiffuseTexture != 0 ? pow(texture(diffuseColor, texCoord).rgb, vec3(2.2))
                                         : materialDiffuse;
    vec3 n = normalize(worldNormal);
    vec3 toEye = normalize(camPos - worldPosition);

    vec3 color = ambient * ambientColor * albedo;
    uint lights = min(numPtLights, 16u);
    for (uint i = 0u; i < lights; ++i) {
        vec3 toLight = ptLights[i].position - worldPosition;
        float distance = length(toLight);
        vec3 l = toLight / max(distance, 1e-6);
        float strength = attenuate(ptLights[i].attenuation, distance);
        float lambert = max(dot(n, l), 0.0);
        float highlight = lambert > 0.0
                              ? pow(max(dot(reflect(-l, n), toEye), 0.0), max(expShininess, 1.0))
                              : 0.0;
        color += strength * ptLights[i].color *
                 (diffuseIntensity * lambert * albedo + highlight * specularColor);
    }
    color = (color + emissiveColor) * brightness;

    // Same exposure curve and gamma as the bloom frame's final blend.
    vec3 mapped = vec3(1.0) - exp(-color * 2.2);
    fragColor = vec4(pow(mapped, vec3(1.0 / 2.2)), 1.0);
}
