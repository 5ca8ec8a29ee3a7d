#include "physics/CollisionLines.h"

#include "physics/CollisionGroup.h"
#include "physics/CookedMesh.h"
#include "physics/PhysicsContext.h"
#include "physics/RigidBody.h"

#include <LinearMath/btConvexHullComputer.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <numeric>
#include <tuple>

namespace {

ShapeKind kindOf(const RigidBody& body) {
    if (body.isDynamic()) {
        return ShapeKind::Ship;
    }
    if (body.isTrigger()) {
        return (body.filter().word0 & RingGroup) ? ShapeKind::Ring : ShapeKind::Trash;
    }
    return ShapeKind::Obstacle;
}

glm::vec3 toGlm(const btVector3& v) {
    return {v.x(), v.y(), v.z()};
}

std::vector<glm::vec3> hullEdges(const ConvexMesh& hull) {
    const std::vector<glm::vec3>& points = hull.vertices();
    std::vector<glm::vec3> ends;
    if (points.empty()) {
        return ends;
    }
    // The hull of the unscaled corners: a body's scale maps hull to hull.
    btConvexHullComputer computer;
    computer.compute(&points[0].x, int(sizeof(glm::vec3)), int(points.size()), 0.0f, 0.0f);
    for (int i = 0; i < computer.edges.size(); ++i) {
        const btConvexHullComputer::Edge& edge = computer.edges[i];
        // Each edge is stored once per direction.
        if (edge.getSourceVertex() < edge.getTargetVertex()) {
            ends.push_back(toGlm(computer.vertices[edge.getSourceVertex()]));
            ends.push_back(toGlm(computer.vertices[edge.getTargetVertex()]));
        }
    }
    return ends;
}

// For each vertex, the first vertex at the same place: a mesh split along
// its hard edges (one vertex per face at each corner) names each corner
// several times.
std::vector<uint32_t> firstAtSamePlace(const std::vector<glm::vec3>& positions) {
    std::vector<uint32_t> order(positions.size());
    std::iota(order.begin(), order.end(), 0u);
    const auto before = [&positions](uint32_t a, uint32_t b) {
        const glm::vec3 &p = positions[a], &q = positions[b];
        return std::tie(p.x, p.y, p.z, a) < std::tie(q.x, q.y, q.z, b);
    };
    std::sort(order.begin(), order.end(), before);
    std::vector<uint32_t> first(positions.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const bool same = i > 0 && positions[order[i]] == positions[order[i - 1]];
        first[order[i]] = same ? first[order[i - 1]] : order[i];
    }
    return first;
}

std::vector<glm::vec3> surfaceEdges(const TriangleMesh& surface) {
    const std::vector<uint32_t>& indices = surface.indices();
    const std::vector<uint32_t> corner = firstAtSamePlace(surface.positions());
    // Each edge by its two corners, the lower first, so that the triangles on
    // either side of it name it alike.
    std::vector<uint64_t> keys;
    keys.reserve(indices.size());
    for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
        for (int side = 0; side < 3; ++side) {
            const uint32_t a = corner[indices[t + side]];
            const uint32_t b = corner[indices[t + (side + 1) % 3]];
            if (a != b) {
                keys.push_back(uint64_t(std::min(a, b)) << 32 | std::max(a, b));
            }
        }
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::vector<glm::vec3> ends;
    ends.reserve(keys.size() * 2);
    const std::vector<glm::vec3>& positions = surface.positions();
    for (uint64_t key : keys) {
        ends.push_back(positions[key >> 32]);
        ends.push_back(positions[key & 0xffffffffu]);
    }
    return ends;
}

} // namespace

std::vector<glm::vec3> meshEdges(const CookedMesh& mesh) {
    if (const auto* hull = dynamic_cast<const ConvexMesh*>(&mesh)) {
        return hullEdges(*hull);
    }
    if (const auto* surface = dynamic_cast<const TriangleMesh*>(&mesh)) {
        return surfaceEdges(*surface);
    }
    return {};
}

std::vector<PlacedShape> placedShapes(const PhysicsContext& physics) {
    std::vector<PlacedShape> shapes;
    shapes.reserve(physics.bodyCount());
    physics.visitBodies([&](const RigidBody& body, const btCollisionObject&) {
        if (body.shapeCount() == 0) {
            return;
        }
        // Every shape of a body sits at the body's origin (a dynamic body's
        // hulls are children of its compound at the identity).
        const glm::mat4 pose =
            glm::translate(glm::mat4(1.0f), body.position()) * glm::mat4_cast(body.rotation());
        const ShapeKind kind = kindOf(body);
        for (uint32_t i = 0; i < body.shapeCount(); ++i) {
            if (auto mesh = body.sharedShapeMesh(i)) {
                shapes.push_back({std::move(mesh), glm::scale(pose, body.shapeScale(i)), kind});
            }
        }
    });
    return shapes;
}
