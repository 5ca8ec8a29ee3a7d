#include "physics/CookedMesh.h"

#include <BulletCollision/CollisionShapes/btBvhTriangleMeshShape.h>
#include <BulletCollision/CollisionShapes/btTriangleIndexVertexArray.h>
#include <LinearMath/btConvexHullComputer.h>

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>

namespace {

bool allFinite(const std::vector<glm::vec3>& points) {
    return std::all_of(points.begin(), points.end(), [](const glm::vec3& p) {
        return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
    });
}

// Whether the points contain a tetrahedron of non-negligible volume relative
// to their extent: a hull of flat or collinear points would have no inside.
bool spansVolume(const std::vector<glm::vec3>& points) {
    if (points.size() < 4) {
        return false;
    }
    const glm::vec3 a = points[0];
    auto farthest = [&](auto distance) {
        float best = 0.0f;
        size_t index = 0;
        for (size_t i = 0; i < points.size(); ++i) {
            float d = distance(points[i]);
            if (d > best) {
                best = d;
                index = i;
            }
        }
        return std::pair{index, best};
    };
    auto [bi, extent] = farthest([&](const glm::vec3& p) { return glm::length(p - a); });
    if (extent <= 0.0f) {
        return false;
    }
    const glm::vec3 b = points[bi];
    const glm::vec3 ab = glm::normalize(b - a);
    auto [ci, lineDistance] =
        farthest([&](const glm::vec3& p) { return glm::length(glm::cross(p - a, ab)); });
    const float tolerance = extent * 1e-5f;
    if (lineDistance <= tolerance) {
        return false;
    }
    const glm::vec3 normal = glm::normalize(glm::cross(ab, points[ci] - a));
    auto [di, planeDistance] =
        farthest([&](const glm::vec3& p) { return std::abs(glm::dot(p - a, normal)); });
    (void)di;
    return planeDistance > tolerance;
}

} // namespace

std::shared_ptr<const ConvexMesh> ConvexMesh::cook(const std::vector<glm::vec3>& points) {
    if (!allFinite(points) || !spansVolume(points)) {
        return nullptr;
    }
    btConvexHullComputer computer;
    computer.compute(&points[0].x, int(sizeof(glm::vec3)), int(points.size()), 0.0f, 0.0f);
    if (computer.vertices.size() < 4) {
        return nullptr;
    }
    std::vector<glm::vec3> vertices;
    vertices.reserve(size_t(computer.vertices.size()));
    for (int i = 0; i < computer.vertices.size(); ++i) {
        const btVector3& v = computer.vertices[i];
        vertices.emplace_back(v.x(), v.y(), v.z());
    }
    return std::shared_ptr<const ConvexMesh>(new ConvexMesh(std::move(vertices)));
}

TriangleMesh::TriangleMesh(std::vector<glm::vec3> positions, std::vector<uint32_t> indices)
    : positions_(std::move(positions)), indices_(std::move(indices)) {
    arrays_ = std::make_unique<btTriangleIndexVertexArray>(
        int(indices_.size() / 3), reinterpret_cast<int*>(indices_.data()),
        int(3 * sizeof(uint32_t)), int(positions_.size()), &positions_[0].x,
        int(sizeof(glm::vec3)));
    shape_ = std::make_unique<btBvhTriangleMeshShape>(arrays_.get(), true);
}

TriangleMesh::~TriangleMesh() = default;

std::shared_ptr<const TriangleMesh> TriangleMesh::cook(const std::vector<glm::vec3>& positions,
                                                       const std::vector<uint32_t>& indices) {
    if (indices.empty() || indices.size() % 3 != 0 || !allFinite(positions)) {
        return nullptr;
    }
    const bool inRange = std::all_of(indices.begin(), indices.end(),
                                     [&](uint32_t i) { return i < positions.size(); });
    if (!inRange) {
        return nullptr;
    }
    return std::shared_ptr<const TriangleMesh>(new TriangleMesh(positions, indices));
}
