#pragma once

#include <glm/vec3.hpp>

#include <cstdint>
#include <memory>
#include <vector>

class btTriangleIndexVertexArray;
class btBvhTriangleMeshShape;

// Collision geometry prepared once per model and shared by every body made
// from it. A table of cooked meshes can hold either kind behind this base and
// tell them apart with a dynamic cast.
class CookedMesh {
public:
    virtual ~CookedMesh() = default;
};

// The convex hull of a point cloud. Bodies scale it per shape.
class ConvexMesh : public CookedMesh {
public:
    // Null when the points span no volume (fewer than four points, all of
    // them on one plane) or are not finite.
    static std::shared_ptr<const ConvexMesh> cook(const std::vector<glm::vec3>& points);

    // The corners of the hull, a subset of the cooked points.
    const std::vector<glm::vec3>& vertices() const { return vertices_; }

private:
    explicit ConvexMesh(std::vector<glm::vec3> vertices) : vertices_(std::move(vertices)) {}

    std::vector<glm::vec3> vertices_;
};

// A triangle surface with its bounding-volume tree, built once and shared by
// every body that scales it. It is hollow: a shape passing through a closed
// mesh touches it on the way in and again on the way out.
class TriangleMesh : public CookedMesh {
public:
    // `indices` holds three vertex positions per triangle. Null when there is
    // no triangle, the count is not a multiple of three, an index is out of
    // range or a position is not finite.
    static std::shared_ptr<const TriangleMesh> cook(const std::vector<glm::vec3>& positions,
                                                    const std::vector<uint32_t>& indices);
    ~TriangleMesh() override;
    TriangleMesh(const TriangleMesh&) = delete;
    TriangleMesh& operator=(const TriangleMesh&) = delete;

    size_t triangleCount() const { return indices_.size() / 3; }
    size_t vertexCount() const { return positions_.size(); }
    // The surface as cooked: positions, and three of their indices per triangle.
    const std::vector<glm::vec3>& positions() const { return positions_; }
    const std::vector<uint32_t>& indices() const { return indices_; }

private:
    friend class RigidBody;
    TriangleMesh(std::vector<glm::vec3> positions, std::vector<uint32_t> indices);

    // The tree reads the arrays in place, so they live as long as it does.
    std::vector<glm::vec3> positions_;
    std::vector<uint32_t> indices_;
    std::unique_ptr<btTriangleIndexVertexArray> arrays_;
    std::unique_ptr<btBvhTriangleMeshShape> shape_;
};
