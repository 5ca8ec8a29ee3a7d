#include "world/CollisionChildren.h"

#include "assets/Model.h"
#include "assets/ShapeStores.h"
#include "core/Stopwatch.h"
#include "physics/CollisionMeshes.h"
#include "world/LevelBuild.h"
#include "world/Placement.h"

#include <assimp/scene.h>

using Severity = LevelFinding::Severity;

std::shared_ptr<const CookedMesh> cookCollision(const aiNode* node, const std::string& label,
                                                NodeRole role, LevelBuild& build) {
    const aiScene* scene = build.scene;
    const char* what = becomes(role);
    if (node->mNumChildren == 0) {
        build.report(Severity::Error, label,
                     std::string("it has no collision child, so it is drawn but ") +
                         (role == NodeRole::Trash  ? "can never be collected"
                          : role == NodeRole::Ring ? "can never be passed"
                                                   : "the ship flies through it"),
                     std::string("give it a child object whose mesh is its collision shape (") +
                         (role == NodeRole::Ring    ? "a convex volume spanning the opening"
                          : role == NodeRole::Trash ? "a convex volume"
                                                    : "the mesh itself") +
                         ")");
        return nullptr;
    }
    const aiNode* child = node->mChildren[0];
    const std::string childName = nodeName(child);
    if (child->mNumMeshes == 0 || child->mMeshes[0] >= scene->mNumMeshes) {
        build.report(Severity::Error, label,
                     "its first child " + childName +
                         " has no mesh, so it has no collision shape: it is " + what +
                         " the ship can never touch",
                     "make the collision mesh the first child of the node");
        return nullptr;
    }
    Mesh mesh = collisionSourceMesh(scene->mMeshes[child->mMeshes[0]]);
    const aiMatrix4x4& own = child->mTransformation;
    if (!isIdentity(own)) {
        if (!finite(own)) {
            build.report(Severity::Error, label,
                         "its collision child " + childName +
                             " has a transform that is not finite, so it has no collision shape",
                         "clear the child's transform in Blender (Alt+G, Alt+R, Alt+S)");
            return nullptr;
        }
        // The shape is cooked as the child is drawn relative to its parent;
        // the body then places and scales it like the parent.
        for (Vertex& vertex : mesh.vertices) {
            const aiVector3D p =
                own * aiVector3D(vertex.position.x, vertex.position.y, vertex.position.z);
            vertex.position = glm::vec3(p.x, p.y, p.z);
        }
        build.report(Severity::Warning, label,
                     "its collision child " + childName +
                         " is scaled, turned or moved relative to it; the game applies that "
                         "to the collision shape",
                     "nothing to do if the shape then covers what is drawn; otherwise apply "
                     "the child's transform in Blender (Ctrl+A)");
    }
    Stopwatch watch(build.figure(&LevelLoadTimes::cooking));
    const bool surface = role == NodeRole::Asteroid || role == NodeRole::Sun;
    std::shared_ptr<const CookedMesh> cooked;
    if (surface) {
        cooked = cookTriMesh(mesh);
    } else {
        cooked = cookConvex(mesh);
    }
    if (!cooked) {
        build.report(Severity::Error, label,
                     "its collision mesh " + childName +
                         " cannot be cooked, so it is drawn but never touched",
                     surface ? "give the child a mesh of finite triangles"
                             : "give the child a closed volume (at least four points not on "
                               "one plane)");
    }
    return cooked;
}

std::shared_ptr<const CookedMesh> shapeOf(const Model& model) {
    if (model.collisionMeshes.empty() ||
        model.collisionMeshes.front() >= collisionMeshStore().size()) {
        return nullptr;
    }
    return collisionMeshStore().at(model.collisionMeshes.front());
}
