#version 330 core
// Lit meshes: world-space position, normal and texture coordinate for the
// fragment stage. Shared by the phong and greybox programs.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
layout(location = 3) in vec3 tangent;
layout(location = 4) in vec3 bitangent;

uniform mat4 projView;
uniform mat4 model;

out vec3 worldPosition;
out vec3 worldNormal;
out vec2 texCoord;

void main() {
    vec4 world = model * vec4(position, 1.0);
    // The cofactor matrix carries normals through non-uniform scale like the
    // inverse transpose does (up to a factor that normalising removes) and
    // costs three cross products instead of a 4x4 inverse per vertex.
    mat3 m = mat3(model);
    mat3 cofactor = mat3(cross(m[1], m[2]), cross(m[2], m[0]), cross(m[0], m[1]));
    worldPosition = world.xyz;
    worldNormal = cofactor * normal * sign(determinant(m));
    texCoord = uv;
    gl_Position = projView * world;
}
