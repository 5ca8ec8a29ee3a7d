#version 330 core
// Scene pass of the bloom frame: world-space position, texture coordinate and
// the tangent frame for normal mapping.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
layout(location = 3) in vec3 tangent;
layout(location = 4) in vec3 bitangent;

uniform mat4 projView;
uniform mat4 model;

out vec3 worldPosition;
out vec3 worldNormal;
out vec3 worldTangent;
out vec3 worldBitangent;
out vec2 texCoord;

void main() {
    vec4 world = model * vec4(position, 1.0);
    mat3 m = mat3(model);
    // Normals go through the cofactor matrix (the inverse transpose up to a
    // factor that normalising removes); tangents lie in the surface and go
    // through the model matrix itself.
    mat3 cofactor = mat3(cross(m[1], m[2]), cross(m[2], m[0]), cross(m[0], m[1]));
    worldPosition = world.xyz;
    worldNormal = cofactor * normal * sign(determinant(m));
    worldTangent = m * tangent;
    worldBitangent = m * bitangent;
    texCoord = uv;
    gl_Position = projView * world;
}
