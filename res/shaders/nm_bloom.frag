#version 330 core
// Scene pass of the bloom frame: Phong lighting from up to 16 point lights
// with the mesh's material, optional tangent-space normal mapping, and a
// second output holding only what is bright enough to glow.

in vec3 worldPosition;
in vec3 worldNormal;
in vec3 worldTangent;
in vec3 worldBitangent;
in vec2 texCoord;

layout(location = 0) out vec4 fragColor;
layout(location = 1) out vec4 brightColor;

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
uniform sampler2D normalMap;
// Whether the material has its own diffuse texture and normal map; without
// them the samplers hold whatever another mesh left bound, so they are not
// read: the surface takes its diffuse colour, and its normal as it is.
uniform int hasDiffuseTexture;
uniform int hasNormalMap;
uniform vec3 materialDiffuse;
// Light the surface gives off by itself; it glows whatever its brightness.
uniform vec3 emissiveColor;
uniform vec3 ambientColor;
uniform vec3 specularColor;
uniform float diffuseIntensity;
uniform float expShininess;
uniform int normalMapping;

// Below this share of its full strength a light ends, so that it leaves no
// faint glow across the whole level.
const float LIGHT_CUTOFF = 0.01;
// Silhouettes turned towards a light catch extra light (rim lighting); this
// is what makes lit edges of asteroids glow.
const float RIM_STRENGTH = 0.6;
const float RIM_SHARPNESS = 4.0;
// Luminance above which colour starts to glow, with a soft knee so that the
// glow fades in instead of switching on. After the final exposure curve
// (1 - exp(-2.2 x)) this threshold is already close to white, so only what
// saturates the screen glows and the rest of the scene keeps its contrast.
const float BLOOM_THRESHOLD = 1.2;
const float BLOOM_KNEE = 0.6;

float attenuate(vec3 factors, float distance) {
    float falloff = 1.0 / max(factors.x + factors.y * distance + factors.z * distance * distance,
                              1e-4);
    return max(falloff - LIGHT_CUTOFF, 0.0) / (1.0 - LIGHT_CUTOFF);
}

vec3 surfaceNormal() {
    vec3 n = normalize(worldNormal);
    if (normalMapping == 0 || hasNormalMap == 0) {
        return n;
    }
    // Meshes built without a tangent frame carry zero tangents: keep their
    // geometric normal rather than produce NaNs.
    vec3 t = worldTangent - dot(worldTangent, n) * n;
    if (dot(t, t) < 1e-12 || dot(worldBitangent, worldBitangent) < 1e-12) {
        return n;
    }
    t = normalize(t);
    // The bitangent only contributes its handedness (mirrored texture halves).
    vec3 b = cross(n, t) * (dot(cross(n, t), worldBitangent) < 0.0 ? -1.0 : 1.0);
    vec3 tangentNormal = texture(normalMap, texCoord).rgb * 2.0 - 1.0;
    vec3 mapped = mat3(t, b, n) * tangentNormal;
    return dot(mapped, mapped) > 1e-12 ? normalize(mapped) : n;
}

void main() {
    // Textures hold sRGB colour; lighting works on linear values, as the
    // material's own colour already is.
    vec3 albedo = hasDiffuseTexture != 0 ? pow(texture(diffuseColor, texCoord).rgb, vec3(2.2))
                                         : materialDiffuse;
    vec3 n = surfaceNormal();
    vec3 toEye = normalize(camPos - worldPosition);
    float facing = max(dot(normalize(worldNormal), toEye), 0.0);
    float rim = RIM_STRENGTH * pow(1.0 - facing, RIM_SHARPNESS);

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
                 ((diffuseIntensity * lambert + rim * lambert) * albedo +
                  highlight * specularColor);
    }
    color *= brightness;
    vec3 emitted = emissiveColor * brightness;
    fragColor = vec4(color + emitted, 1.0);

    float luminance = dot(color, vec3(0.2126, 0.7152, 0.0722));
    float soft = clamp(luminance - BLOOM_THRESHOLD + BLOOM_KNEE, 0.0, 2.0 * BLOOM_KNEE);
    soft = soft * soft / (4.0 * BLOOM_KNEE);
    float glow = max(soft, luminance - BLOOM_THRESHOLD) / max(luminance, 1e-4);
    brightColor = vec4(color * glow + emitted, 1.0);
}
