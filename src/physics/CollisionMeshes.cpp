#include "physics/CollisionMeshes.h"

#include "assets/Shape.h"

#include <assimp/mesh.h>

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
    return ConvexMesh::cook(positionsOf(mesh));
}

std::shared_ptr<const TriangleMesh> cookTriMesh(const Mesh& mesh) {
    return TriangleMesh::cook(positionsOf(mesh), mesh.indices);
}

Mesh collisionSourceMesh(const aiMesh* mesh) {
    std::vector<Vertex> vertices(mesh->mNumVertices);
    for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
        const aiVector3D& p = mesh->mVertices[i];
        vertices[i].position = glm::vec3(p.x, p.y, p.z);
    }
    std::vector<uint32_t> indices;
    indices.reserve(std::size_t(mesh->mNumFaces) * 3);
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        if (face.mNumIndices == 3) {
            indices.insert(indices.end(), face.mIndices, face.mIndices + 3);
        }
    }
    return Mesh(std::move(vertices), std::move(indices), Material{});
}
