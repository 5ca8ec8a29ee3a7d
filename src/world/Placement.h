#pragma once

#include <assimp/matrix4x4.h>
#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>

#include <string>

// Where and how a node is placed in the level, decoded from its matrix.
struct Placement {
    glm::vec3 position{0.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    // Negative on every axis when the matrix mirrors (the importer's
    // decomposition puts the mirror into the scale, and turns the rotation
    // half round to match).
    glm::vec3 scale{1.0f};
    // Empty when the placement can be used.
    std::string problem;

    // Whether the matrix turns the scene inside out (an odd number of
    // negative scale factors, as Blender's mirror writes).
    bool mirrored() const { return scale.x < 0.0f; }
};

// The placement a node's matrix gives, with `placementProblem`'s verdict.
Placement placementOf(const aiMatrix4x4& transform);

// Whether every element is finite.
bool finite(const aiMatrix4x4& m);

// Whether the matrix is the identity within Blender's float noise.
bool isIdentity(const aiMatrix4x4& m);
