#include "world/GameBodies.h"

#include "assets/AssetPaths.h"
#include "assets/MeshBuilder.h"
#include "assets/ModelFiles.h"
#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "core/Log.h"
#include "core/RegularFile.h"
#include "physics/CollisionGroup.h"
#include "physics/CollisionMeshes.h"
#include "physics/PhysicsContext.h"
#include "physics/RigidBody.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <numeric>

namespace {

constexpr unsigned SHIP_IMPORT_FLAGS = aiProcess_Triangulate | aiProcess_GenUVCoords;
static_assert(SHIP_IMPORT_FLAGS == 0x40008);

constexpr float SHIP_ANGULAR_DAMPING = 2.0f;
constexpr uint32_t SHIP_MASK = ObstacleGroup | TrashGroup | RingGroup;

// What an object without its shape means for the player, for the messages.
const char* consequence(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::Obstacle:
        return "it is drawn, but the ship flies through it";
    case ObjectKind::Trash:
        return "it is drawn, but it can never be collected";
    case ObjectKind::Ring:
        return "it is drawn, but it can never be passed, so the track cannot be finished";
    case ObjectKind::Ship:
        break;
    }
    return "it can never touch anything";
}

// The cooked mesh a model names first, or null after one ERROR line saying
// why there is none. Never reads beyond the store.
std::shared_ptr<const CookedMesh> collisionMeshOf(const std::string& name, ObjectKind kind) {
    const Model& model = ModelLoader::instance().get(name);
    if (model.collisionMeshes.empty() ||
        model.collisionMeshes.front() >= collisionMeshStore().size()) {
        logMessage(LogLevel::ERROR,
                   name +
                       " has no collision mesh (a level node takes it from the first mesh of "
                       "its first child): " +
                       consequence(kind) + ".");
        return nullptr;
    }
    std::shared_ptr<const CookedMesh> mesh = collisionMeshStore().at(model.collisionMeshes.front());
    if (!mesh) {
        logMessage(LogLevel::ERROR, "The collision mesh of " + name +
                                        " could not be cooked: " + consequence(kind) + ".");
    }
    return mesh;
}

std::unique_ptr<RigidBody> staticBody(const glm::vec3& position, const glm::quat& rotation,
                                      uint32_t group) {
    auto body = RigidBody::createStatic(position, rotation);
    setupFiltering(*body, group, ShipGroup);
    return body;
}

GameObject makeTrigger(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
                       std::string name, ObjectKind kind, uint32_t group,
                       std::shared_ptr<const CookedMesh> cooked) {
    auto body = staticBody(position, rotation, group);
    body->setTrigger(true);
    if (cooked) {
        auto hull = std::dynamic_pointer_cast<const ConvexMesh>(cooked);
        if (hull) {
            body->attachConvex(std::move(hull), scale);
        } else {
            logMessage(LogLevel::ERROR, "The collision mesh of " + name +
                                            " is a triangle mesh, but a trigger volume needs a "
                                            "convex hull: " +
                                            consequence(kind) + ".");
        }
    }
    PhysicsContext::instance().addBody(*body);
    return GameObject(position, rotation, scale, std::move(name), kind, std::move(body));
}

std::vector<uint32_t> positionRange(std::size_t from, std::size_t to) {
    std::vector<uint32_t> positions(to - from);
    std::iota(positions.begin(), positions.end(), static_cast<uint32_t>(from));
    return positions;
}

bool contains(const aiString& text, const char* word) {
    return std::string_view(text.C_Str(), text.length).find(word) != std::string_view::npos;
}

struct ShipParts {
    const std::string& path;
    const aiScene* scene;
    RigidBody& body;
    MeshUpload upload;
    int hulls = 0;
};

// Depth first: a node's own meshes before its children's, at every depth.
void addShipParts(const aiNode* node, ShipParts& parts) {
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        if (node->mMeshes[i] >= parts.scene->mNumMeshes) {
            continue;
        }
        const aiMesh* mesh = parts.scene->mMeshes[node->mMeshes[i]];
        if (contains(mesh->mName, "coll_")) {
            auto hull = cookConvex(collisionSourceMesh(mesh));
            if (hull) {
                parts.body.attachConvex(std::move(hull), glm::vec3(1.0f));
                ++parts.hulls;
            } else {
                logMessage(LogLevel::ERROR, "Ship model " + parts.path + ": the collision mesh " +
                                                mesh->mName.C_Str() +
                                                " could not be cooked (a hull needs at least "
                                                "four points that are not on one plane).");
            }
        } else if (contains(mesh->mName, "graph_")) {
            const uint32_t position =
                meshStore().push(buildMesh(mesh, parts.scene, TangentFrame::Compute, parts.path));
            if (parts.upload == MeshUpload::Now) {
                meshStore().at(position).upload();
            }
        }
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
        addShipParts(node->mChildren[i], parts);
    }
}

} // namespace

void setupFiltering(RigidBody& actor, uint32_t group, uint32_t mask) {
    // One body carries one pair of words for all of its shapes.
    actor.setFilter({group, mask});
}

GameObject createObstacle(const glm::vec3& position, const glm::quat& rotation,
                          const glm::vec3& scale, std::string name) {
    auto shape = collisionMeshOf(name, ObjectKind::Obstacle);
    return createObstacle(position, rotation, scale, std::move(name), std::move(shape));
}

GameObject createObstacle(const glm::vec3& position, const glm::quat& rotation,
                          const glm::vec3& scale, std::string name,
                          std::shared_ptr<const CookedMesh> cooked) {
    auto body = staticBody(position, rotation, ObstacleGroup);
    if (cooked) {
        auto surface = std::dynamic_pointer_cast<const TriangleMesh>(cooked);
        if (surface) {
            body->attachTriangleMesh(std::move(surface), scale);
        } else {
            logMessage(LogLevel::ERROR, "The collision mesh of " + name +
                                            " is a convex hull, but an obstacle needs a triangle "
                                            "mesh: " +
                                            consequence(ObjectKind::Obstacle) + ".");
        }
    }
    PhysicsContext::instance().addBody(*body);
    return GameObject(position, rotation, scale, std::move(name), ObjectKind::Obstacle,
                      std::move(body));
}

GameObject createTrash(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
                       std::string name) {
    auto shape = collisionMeshOf(name, ObjectKind::Trash);
    return createTrash(position, rotation, scale, std::move(name), std::move(shape));
}

GameObject createTrash(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
                       std::string name, std::shared_ptr<const CookedMesh> shape) {
    return makeTrigger(position, rotation, scale, std::move(name), ObjectKind::Trash, TrashGroup,
                       std::move(shape));
}

GameObject createRing(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
                      std::string name) {
    auto shape = collisionMeshOf(name, ObjectKind::Ring);
    return createRing(position, rotation, scale, std::move(name), std::move(shape));
}

GameObject createRing(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
                      std::string name, std::shared_ptr<const CookedMesh> shape) {
    return makeTrigger(position, rotation, scale, std::move(name), ObjectKind::Ring, RingGroup,
                       std::move(shape));
}

GameObject createShip(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
                      const std::string& fileName, MeshUpload upload) {
    const std::string path = modelDirectory() + fileName;
    // The model cache first: it stores its sky box, and the ship's model must
    // list only what the ship adds.
    ModelLoader& models = ModelLoader::instance();
    Assimp::Importer importer;
    const std::string fileProblem = nonRegularFileProblem(path);
    const aiScene* scene =
        fileProblem.empty() ? importer.ReadFile(path, SHIP_IMPORT_FLAGS) : nullptr;
    const bool imported = scene && !(scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) && scene->mRootNode;
    if (!fileProblem.empty()) {
        logMessage(LogLevel::ERROR, "Ship model " + path + " cannot be read: " + fileProblem + ".");
    } else if (!imported) {
        std::string error = importer.GetErrorString();
        // Some of the importer's texts do not say which file they are about.
        if (error.find(path) == std::string::npos) {
            error += " (ship model " + path + ")";
        }
        logMessage(LogLevel::ERROR, "Assimp: " + error);
    }

    const std::size_t meshesBefore = meshStore().size();
    const std::size_t geometriesBefore = geometryStore().size();
    auto body = RigidBody::createDynamic(position, rotation);
    body->setAngularDamping(SHIP_ANGULAR_DAMPING);
    if (imported) {
        if (const std::string problem = materialLibraryProblem(path); !problem.empty()) {
            logMessage(LogLevel::ERROR, problem);
        }
        ShipParts parts{path, scene, *body, upload};
        addShipParts(scene->mRootNode, parts);
        if (parts.hulls == 0) {
            logMessage(LogLevel::ERROR, "Ship model " + path +
                                            " has no usable mesh whose name contains \"coll_\": "
                                            "the ship can never touch anything.");
        }
    }
    setupFiltering(*body, ShipGroup, SHIP_MASK);
    PhysicsContext::instance().addBody(*body);
    models.add(fileName, positionRange(meshesBefore, meshStore().size()),
               positionRange(geometriesBefore, geometryStore().size()));
    return GameObject(position, rotation, scale, fileName, ObjectKind::Ship, std::move(body));
}
