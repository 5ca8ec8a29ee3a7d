#include "physics/CollisionMeshes.h"

#include "assets/Shape.h"

#include <iostream>
#include <vector>

namespace {

std::vector<glm::vec3> positionsOf(const Mesh& mesh) {
    std::vector<glm::vec3> points;
    points.reserve(mesh.vertices.size());
    for (const Vertex& vertex : mesh.vertices) {
        points.push_back(vertex.position);
    }
    return points;
}

} // namespace

Store<std::shared_ptr<const CookedMesh>>& collisionMeshStore() {
    static Store<std::shared_ptr<const CookedMesh>> store;
    return store;
}

std::shared_ptr<const ConvexMesh> cookConvex(const Mesh& mesh) {
    std::shared_ptr<const ConvexMesh> hull = ConvexMesh::cook(positionsOf(mesh));
    if (!hull) {
        std::cout << "PxCreateCooking failed!" << std::endl;
    }
    return hull;
}

std::shared_ptr<const TriangleMesh> cookTriMesh(const Mesh& mesh) {
    std::shared_ptr<const TriangleMesh> surface =
        TriangleMesh::cook(positionsOf(mesh), mesh.indices);
    if (!surface) {
        std::cout << "cookTriMesh() failed!" << std::endl;
    }
    return surface;
}
