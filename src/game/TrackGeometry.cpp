#include "game/TrackGeometry.h"

#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "physics/CookedMesh.h"
#include "physics/RigidBody.h"
#include "world/GameObject.h"
#include "world/World.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Closest point of triangle abc to p (Ericson, Real-Time Collision Detection 5.1.5).
glm::vec3 closestOnTriangle(const glm::vec3& p, const glm::vec3& a, const glm::vec3& b,
                            const glm::vec3& c) {
    const glm::vec3 ab = b - a, ac = c - a, ap = p - a;
    const float d1 = glm::dot(ab, ap), d2 = glm::dot(ac, ap);
    if (d1 <= 0.0f && d2 <= 0.0f) {
        return a;
    }
    const glm::vec3 bp = p - b;
    const float d3 = glm::dot(ab, bp), d4 = glm::dot(ac, bp);
    if (d3 >= 0.0f && d4 <= d3) {
        return b;
    }
    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0.0f && d1 >= 0.0f && d3 <= 0.0f) {
        return a + ab * (d1 / (d1 - d3));
    }
    const glm::vec3 cp = p - c;
    const float d5 = glm::dot(ab, cp), d6 = glm::dot(ac, cp);
    if (d6 >= 0.0f && d5 <= d6) {
        return c;
    }
    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0.0f && d2 >= 0.0f && d6 <= 0.0f) {
        return a + ac * (d2 / (d2 - d6));
    }
    const float va = d3 * d6 - d5 * d4;
    if (va <= 0.0f && (d4 - d3) >= 0.0f && (d5 - d6) >= 0.0f) {
        return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    }
    const float denominator = 1.0f / (va + vb + vc);
    return a + ab * (vb * denominator) + ac * (vc * denominator);
}

// Whether the ray from `origin` along `direction` crosses triangle abc
// (Möller–Trumbore), ahead of the origin.
bool rayCrosses(const glm::vec3& origin, const glm::vec3& direction, const glm::vec3& a,
                const glm::vec3& b, const glm::vec3& c) {
    const glm::vec3 e1 = b - a, e2 = c - a;
    const glm::vec3 h = glm::cross(direction, e2);
    const float det = glm::dot(e1, h);
    if (std::abs(det) < 1e-12f) {
        return false;
    }
    const float inverse = 1.0f / det;
    const glm::vec3 s = origin - a;
    const float u = inverse * glm::dot(s, h);
    if (u < 0.0f || u > 1.0f) {
        return false;
    }
    const glm::vec3 q = glm::cross(s, e1);
    const float v = inverse * glm::dot(direction, q);
    if (v < 0.0f || u + v > 1.0f) {
        return false;
    }
    return inverse * glm::dot(e2, q) > 0.0f;
}

glm::vec3 toWorld(const GameObject& object, const glm::vec3& scale, const glm::vec3& local) {
    return object.getPosition() + object.getRotation() * (scale * local);
}

} // namespace

std::string designerName(const std::string& objectName) {
    const auto hash = objectName.rfind('#');
    if (hash == std::string::npos || hash + 1 == objectName.size() ||
        !std::all_of(objectName.begin() + long(hash) + 1, objectName.end(),
                     [](char c) { return c >= '0' && c <= '9'; })) {
        return objectName;
    }
    return objectName.substr(0, hash);
}

float ObstacleSurface::distanceTo(const glm::vec3& point) const {
    float best = std::numeric_limits<float>::infinity();
    for (size_t i = 0; i + 2 < corners.size(); i += 3) {
        const glm::vec3 q = closestOnTriangle(point, corners[i], corners[i + 1], corners[i + 2]);
        best = std::min(best, glm::length(point - q));
    }
    return best;
}

bool ObstacleSurface::contains(const glm::vec3& point) const {
    if (glm::length(point - centre) > radius) {
        return false;
    }
    // An odd number of crossings along a ray means inside; the direction is
    // skewed so that it seldom runs exactly along an edge.
    const glm::vec3 direction = glm::normalize(glm::vec3(0.5773f, 0.6123f, 0.5402f));
    int crossings = 0;
    for (size_t i = 0; i + 2 < corners.size(); i += 3) {
        crossings += rayCrosses(point, direction, corners[i], corners[i + 1], corners[i + 2]);
    }
    return crossings % 2 == 1;
}

std::vector<ObstacleSurface> obstacleSurfaces(const World& world) {
    std::vector<ObstacleSurface> surfaces;
    for (const GameObject& object : world.objects) {
        if (object.kind != ObjectKind::Obstacle || !object.actor ||
            object.actor->shapeCount() == 0) {
            continue;
        }
        const auto* mesh = dynamic_cast<const TriangleMesh*>(object.actor->shapeMesh(0));
        if (!mesh) {
            continue;
        }
        const glm::vec3 scale = object.actor->shapeScale(0);
        ObstacleSurface surface;
        surface.object = &object;
        surface.corners.reserve(mesh->indices().size());
        glm::vec3 low(std::numeric_limits<float>::infinity()), high(-low);
        for (uint32_t index : mesh->indices()) {
            const glm::vec3 p = toWorld(object, scale, mesh->positions()[index]);
            surface.corners.push_back(p);
            low = glm::min(low, p);
            high = glm::max(high, p);
        }
        if (surface.corners.empty()) {
            continue;
        }
        surface.centre = 0.5f * (low + high);
        for (const glm::vec3& p : surface.corners) {
            surface.radius = std::max(surface.radius, glm::length(p - surface.centre));
        }
        surfaces.push_back(std::move(surface));
    }
    return surfaces;
}

std::vector<glm::vec3> drawnCorners(const GameObject& object) {
    std::vector<glm::vec3> corners;
    const Model& model = ModelLoader::instance().get(object.name);
    if (model.meshLevels.empty()) {
        return corners;
    }
    for (uint32_t position : model.meshLevels.front()) {
        if (position >= meshStore().size()) {
            continue;
        }
        for (const Vertex& vertex : meshStore().at(position).vertices) {
            corners.push_back(toWorld(object, object.scale, vertex.position));
        }
    }
    return corners;
}

std::optional<glm::vec3> drawnCentre(const GameObject& object) {
    const std::vector<glm::vec3> corners = drawnCorners(object);
    if (corners.empty()) {
        return std::nullopt;
    }
    // The box is taken in the object's own axes, where a ring's opening is
    // symmetric.
    const glm::quat toLocal = glm::inverse(object.getRotation());
    glm::vec3 low(std::numeric_limits<float>::infinity()), high(-low);
    for (const glm::vec3& p : corners) {
        const glm::vec3 local = toLocal * (p - object.getPosition());
        low = glm::min(low, local);
        high = glm::max(high, local);
    }
    return object.getPosition() + object.getRotation() * (0.5f * (low + high));
}

std::vector<glm::vec3> hullCorners(const GameObject& object) {
    std::vector<glm::vec3> corners;
    if (!object.actor || object.actor->shapeCount() == 0) {
        return corners;
    }
    const auto* hull = dynamic_cast<const ConvexMesh*>(object.actor->shapeMesh(0));
    if (!hull) {
        return corners;
    }
    const glm::vec3 scale = object.actor->shapeScale(0);
    for (const glm::vec3& p : hull->vertices()) {
        corners.push_back(toWorld(object, scale, p));
    }
    return corners;
}

std::optional<RingOpening> ringOpening(const GameObject& ring) {
    if (!ring.actor || ring.actor->shapeCount() == 0) {
        return std::nullopt;
    }
    const auto* hull = dynamic_cast<const ConvexMesh*>(ring.actor->shapeMesh(0));
    if (!hull || hull->vertices().empty()) {
        return std::nullopt;
    }
    const glm::vec3 scale = ring.actor->shapeScale(0);
    glm::vec3 low(std::numeric_limits<float>::infinity()), high(-low);
    for (const glm::vec3& p : hull->vertices()) {
        low = glm::min(low, scale * p);
        high = glm::max(high, scale * p);
    }
    const glm::vec3 half = 0.5f * (high - low);
    int thin = 0;
    for (int axis = 1; axis < 3; ++axis) {
        if (half[axis] < half[thin]) {
            thin = axis;
        }
    }
    glm::vec3 axisVector(0.0f);
    axisVector[thin] = 1.0f;
    RingOpening opening;
    opening.centre =
        drawnCentre(ring).value_or(ring.getPosition() + ring.getRotation() * (0.5f * (low + high)));
    opening.normal = ring.getRotation() * axisVector;
    opening.radius = std::min(half[(thin + 1) % 3], half[(thin + 2) % 3]);
    return opening;
}
