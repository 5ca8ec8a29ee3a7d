#include "game/TestPilotTurn.h"

#include "game/Controls.h"
#include "physics/RigidBody.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float SHORTEST = 1e-3f;

} // namespace

float curvatureThrough(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
    const glm::vec3 in = b - a, out = c - b;
    const float span = glm::length(c - a);
    if (glm::length(in) < SHORTEST || glm::length(out) < SHORTEST) {
        return 0.0f;
    }
    if (span < SHORTEST) {
        return std::numeric_limits<float>::infinity();
    }
    if (glm::dot(in, out) < 0.0f) {
        // Coming about: a half circle across the span.
        return 2.0f / span;
    }
    // A circle's radius is a chord over twice the sine of the angle that
    // faces it: R = |ac| / (2 sin(abc)), and sin(abc) = |in x out| / (|in| |out|).
    const float sine = glm::length(glm::cross(in, out)) / (glm::length(in) * glm::length(out));
    return 2.0f * sine / span;
}

float curvatureFrom(const glm::vec3& start, const glm::vec3& heading, const glm::vec3& point) {
    // The chord to the point makes the angle t with the tangent, and a chord
    // is 2 R sin(t); a point behind asks for coming about across the chord.
    const glm::vec3 chord = point - start;
    const float length = glm::length(chord);
    if (length < SHORTEST) {
        return 0.0f;
    }
    if (glm::dot(heading, chord) < 0.0f) {
        return 2.0f / length;
    }
    return 2.0f * glm::length(glm::cross(heading, chord)) / (length * length);
}

float sharpestTurnShare(const glm::vec3& start, const glm::vec3& heading,
                        const std::vector<glm::vec3>& passes, float speed, float bestRate) {
    if (passes.empty() || bestRate <= 0.0f) {
        return 0.0f;
    }
    float sharpest = curvatureFrom(start, heading, passes.front());
    for (size_t i = 0; i + 1 < passes.size(); ++i) {
        const glm::vec3& before = i == 0 ? start : passes[i - 1];
        sharpest = std::max(sharpest, curvatureThrough(before, passes[i], passes[i + 1]));
    }
    return std::min(1.0f, sharpest * speed / bestRate);
}

float bestTurnRate(float angularDamping) {
    // Two keys at right angles add their torques; with unit inertia and the
    // same damping on every axis, the steady spin adds the same way.
    return std::min(std::sqrt(2.0f) * steadyTurnRate(angularDamping),
                    RigidBody::MAX_ANGULAR_VELOCITY);
}
