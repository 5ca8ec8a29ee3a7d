#include "world/CollisionChildren.h"

#include "assets/Model.h"
#include "assets/ShapeStores.h"
#include "core/Stopwatch.h"
#include "physics/CollisionMeshes.h"
#include "world/LevelBuild.h"
#include "world/Placement.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using Severity = LevelFinding::Severity;

namespace {

// A collision child off its parent by less than this (metres), and scaled
// and turned by no more than an exporter's rounding, sits where its parent
// is: Ctrl+P in Blender leaves such a remainder.
constexpr float NEGLIGIBLE_OFFSET = 1e-3f;
constexpr float NEGLIGIBLE_SCALE = 1e-3f;
constexpr float NEGLIGIBLE_TURN_DEGREES = 0.1f;

std::string figure(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// "moved 0.50 m, scaled by 1.20 and turned 12 degrees", naming only what is
// more than rounding; empty when nothing is.
std::string howPlaced(const aiMatrix4x4& m) {
    std::vector<std::string> parts;
    const float offset = std::sqrt(m.a4 * m.a4 + m.b4 * m.b4 + m.c4 * m.c4);
    if (offset >= NEGLIGIBLE_OFFSET) {
        parts.push_back("moved " + (offset < 0.1f ? figure("%.1f mm", 1000.0 * offset)
                                                  : figure("%.2f m", offset)));
    }
    const aiVector3D columns[3] = {{m.a1, m.b1, m.c1}, {m.a2, m.b2, m.c2}, {m.a3, m.b3, m.c3}};
    float least = columns[0].Length(), most = least;
    for (const aiVector3D& column : columns) {
        least = std::min(least, column.Length());
        most = std::max(most, column.Length());
    }
    if (std::abs(least - 1.0f) > NEGLIGIBLE_SCALE || std::abs(most - 1.0f) > NEGLIGIBLE_SCALE) {
        parts.push_back(std::abs(most - least) <= NEGLIGIBLE_SCALE
                            ? "scaled by " + figure("%.2f", most)
                            : "scaled by " + figure("%.2f", least) + " to " + figure("%.2f", most));
    }
    if (least > 1e-6f) {
        const float trace = columns[0].x / columns[0].Length() +
                            columns[1].y / columns[1].Length() + columns[2].z / columns[2].Length();
        const float degrees =
            std::acos(std::clamp((trace - 1.0f) * 0.5f, -1.0f, 1.0f)) * 180.0f / 3.14159265f;
        if (degrees > NEGLIGIBLE_TURN_DEGREES) {
            parts.push_back("turned " + figure("%.0f degrees", degrees));
        }
    }
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    }
    return text;
}

} // namespace

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
        if (const std::string placed = howPlaced(own); !placed.empty()) {
            build.report(Severity::Warning, label,
                         "its collision child " + childName + " is " + placed +
                             " relative to it; the game applies that to the collision shape",
                         "nothing to do if the shape then covers what is drawn; otherwise apply "
                         "the child's transform in Blender (Ctrl+A)");
        }
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
