#include "world/Placement.h"

#include "world/LevelChecks.h"

// The matrix operations are defined with the scene types.
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>

namespace {

// Blender writes matrices with float noise: an identity within this is one.
constexpr float IDENTITY_TOLERANCE = 1e-4f;

} // namespace

bool finite(const aiMatrix4x4& m) {
    const float* values = &m.a1;
    return std::all_of(values, values + 16, [](float v) { return std::isfinite(v); });
}

bool isIdentity(const aiMatrix4x4& m) {
    const aiMatrix4x4 identity;
    const float* values = &m.a1;
    const float* expected = &identity.a1;
    for (int i = 0; i < 16; ++i) {
        if (!(std::abs(values[i] - expected[i]) <= IDENTITY_TOLERANCE)) {
            return false;
        }
    }
    return true;
}

Placement placementOf(const aiMatrix4x4& transform) {
    Placement placement;
    if (!finite(transform)) {
        placement.problem = "its transform is not finite (it holds NaN or an infinite value)";
        placement.scale = glm::vec3(NAN);
        return placement;
    }
    aiVector3D scaling, translation;
    aiQuaternion turn;
    transform.Decompose(scaling, turn, translation);
    placement.position = glm::vec3(translation.x, translation.y, translation.z);
    placement.rotation = glm::quat(turn.w, turn.x, turn.y, turn.z);
    placement.scale = glm::vec3(scaling.x, scaling.y, scaling.z);
    // The columns' lengths again, where a huge factor does not overflow.
    const aiMatrix4x4& m = transform;
    auto length = [](double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); };
    glm::dvec3 factors(length(m.a1, m.b1, m.c1), length(m.a2, m.b2, m.c2),
                       length(m.a3, m.b3, m.c3));
    if (scaling.x < 0.0f) {
        factors = -factors;
    }
    placement.problem = placementProblem(placement.position, placement.rotation, factors);
    return placement;
}
