#include "world/LevelWalk.h"

#include "assets/MeshBuilder.h"
#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "core/Stopwatch.h"
#include "physics/CollisionMeshes.h"
#include "physics/PhysicsContext.h"
#include "world/CollisionChildren.h"
#include "world/DeepNodes.h"
#include "world/DetailLevels.h"
#include "world/GameBodies.h"
#include "world/LevelBuild.h"
#include "world/LevelLamps.h"
#include "world/LevelSky.h"
#include "world/ModelNames.h"
#include "world/NodeRoles.h"
#include "world/Placement.h"
#include "world/ShipStart.h"
#include "world/TrackAssembly.h"

#include <assimp/scene.h>

#include <glm/gtc/constants.hpp>

#include <algorithm>

namespace {

using Severity = LevelFinding::Severity;

// The finer levels of an asteroid's new model, and a finding for each mesh
// that is too large for all of them.
void refine(Model& model, const std::string& label, LevelBuild& build) {
    const DetailLevels levels = addDetailLevels(model, build.refinements);
    if (build.times) {
        build.times->subdivision += levels.seconds;
    }
    if (levels.overBudget) {
        build.refuse(label,
                     "its finer levels of detail would take those of the level beyond " +
                         std::to_string(MAX_LEVEL_DETAIL_TRIANGLES) +
                         " triangles (each asteroid mesh gets three, with 4, 16 and 64 times "
                         "its triangles)",
                     "give the asteroids fewer triangles, or let them share meshes (in "
                     "Blender: Object > Link/Transfer Data > Link Object Data)");
        return;
    }
    for (std::size_t i = 0; i < levels.refinements.size(); ++i) {
        if (levels.refinements[i] == ASTEROID_DETAIL_LEVELS) {
            continue;
        }
        const Mesh& mesh = meshStore().at(model.meshLevels.front()[i]);
        build.report(Severity::Warning, label,
                     "its mesh " + std::to_string(i + 1) + " has " +
                         std::to_string(mesh.triangleCount) + " triangles, so it keeps " +
                         std::to_string(levels.refinements[i]) + " of " +
                         std::to_string(ASTEROID_DETAIL_LEVELS) +
                         " finer levels of detail (each has 4 times the triangles, at most " +
                         std::to_string(MAX_DETAIL_TRIANGLES) + ")",
                     "nothing to do; a mesh of up to 4096 triangles gets every level");
    }
}

void processMeshNode(const aiNode* node, const std::string& label, const Placement& placement,
                     LevelBuild& build) {
    std::vector<uint32_t> meshList;
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        // An index naming no mesh of the scene would name another level's.
        if (node->mMeshes[i] < build.scene->mNumMeshes) {
            meshList.push_back(build.meshBase + node->mMeshes[i]);
        }
    }
    if (meshList.empty()) {
        return;
    }
    ModelLoader& models = ModelLoader::instance();
    const NodeRole ownRole = roleOf(label);

    Model* model = nullptr;
    std::string name = label;
    std::string sharedWith;
    if (auto found = build.modelsByMeshes.find(meshList); found != build.modelsByMeshes.end()) {
        // The node is another copy of a model already made: it takes that
        // model's name, and with it its collision mesh and ring number.
        name = models.nameAt(found->second);
        model = &models.at(found->second);
        sharedWith = build.firstNodeOfModel.at(name);
        const NodeRole sharedRole = roleOf(name);
        if (sharedRole != ownRole) {
            build.report(Severity::Error, label,
                         std::string("it shares its meshes with ") + sharedWith +
                             ", and so becomes what that node is (" + becomes(sharedRole) +
                             ") instead of " + becomes(ownRole),
                         "give it a mesh of its own (in Blender: Object > Relations > Make "
                         "Single User)");
        }
    }
    const NodeRole role = roleOf(name);
    if (!model) {
        // The collision mesh is listed only if one is cooked for this
        // model, so that the position never names another model's mesh.
        std::shared_ptr<const CookedMesh> cooked;
        if (role != NodeRole::Nothing) {
            cooked = cookCollision(node, label, role, build);
        }
        std::vector<uint32_t> collision;
        if (cooked) {
            collision.push_back(collisionMeshStore().push(std::move(cooked)));
        }
        name = freeModelName(name);
        models.add(name, meshList, {}, collision);
        const std::size_t position = models.size() - 1;
        model = &models.at(position);
        build.modelsByMeshes.emplace(meshList, position);
        build.firstNodeOfModel.emplace(name, label);
        if (role == NodeRole::Asteroid) {
            refine(*model, label, build);
        }
    }
    if (!build.error.empty()) {
        return;
    }
    if (role == NodeRole::Nothing) {
        return;
    }
    if (!placement.problem.empty()) {
        if (role == NodeRole::Ring) {
            build.refuse(label, placement.problem + ", so the ring can never be passed",
                         "clear the ring's transform in Blender and place it again");
        } else {
            build.report(Severity::Error, label, placement.problem + ", so it is left out",
                         "clear its transform in Blender and place it again");
        }
        return;
    }
    auto shape = shapeOf(*model);
    const Placement& p = placement;
    switch (role) {
    case NodeRole::Asteroid:
    case NodeRole::Sun:
        build.objects.push_back(createObstacle(p.position, p.rotation, p.scale, name, shape));
        break;
    case NodeRole::Ring:
        placeRing(name, label, sharedWith, placement, shape, build);
        break;
    case NodeRole::Trash:
        build.objects.push_back(createTrash(p.position, p.rotation, p.scale, name, shape));
        break;
    case NodeRole::Nothing:
        break;
    }
}

// Where the ship starts. Blender's glTF export turns a camera so that it
// looks along its node's -Z, but leaves an Empty's own axes turned a quarter
// round with the scene's: an Empty placed like a camera (its -Z along the
// track, Y up) arrives looking along its node's -Y, with -Z up. The same
// quarter turn, undone, starts the ship where the designer pointed it.
Placement startPlacement(const aiNode* node, Placement placement, const LevelBuild& build) {
    if (!isGltf(build.format)) {
        return placement;
    }
    for (unsigned i = 0; i < build.scene->mNumCameras; ++i) {
        if (build.scene->mCameras[i]->mName == node->mName) {
            return placement;
        }
    }
    placement.rotation =
        placement.rotation * glm::angleAxis(-glm::half_pi<float>(), glm::vec3(1, 0, 0));
    return placement;
}

// One direct child of the root: what its name and meshes make of it.
void processWorldNode(const aiNode* node, std::size_t index, LevelBuild& build) {
    const aiNode* root = build.scene->mRootNode;
    const Placement placement = placementOf(root->mTransformation * node->mTransformation);
    const std::string name = nodeName(node);

    if (name.empty()) {
        if (node->mNumMeshes > 0) {
            ++build.unnamedMeshNodes;
            build.report(Severity::Error,
                         "node " + std::to_string(index + 1) + " of the scene root",
                         "it has meshes but no name (the importer empties names of 1024 "
                         "characters or more), so it is left out",
                         "give it a shorter name with one keyword: roid, sun, ring or tcan");
        }
        return;
    }
    if (const int seen = build.nodeNames[name]++; seen == 1) {
        build.report(Severity::Warning, name,
                     "another node of the scene root has the same name, and the game may take "
                     "one for the other",
                     "give every node a name of its own");
    }
    const std::vector<std::string> keywords = keywordsIn(name);
    if (node->mNumMeshes == 0) {
        if (namesCamera(name)) {
            if (build.cameras.empty()) {
                placeCamera(name, startPlacement(node, placement, build), build);
            }
        } else if (namesLamp(name)) {
            placeLamp(node, name, placement, build);
        } else if (hasLightOfItsName(node, build.scene)) {
            build.report(Severity::Warning, name,
                         "it is a light, but its name does not contain Lamp, so it gives no light",
                         "name it with Lamp (Lamp, Lamp.001, ...)");
        } else if (!keywords.empty()) {
            build.report(Severity::Warning, name,
                         "its name contains " + joined(keywords, " and ") +
                             ", but it has no mesh, so it is ignored",
                         "give the object a mesh, or a name without the keyword");
        }
        return;
    }
    if (keywords.size() > 1) {
        build.report(Severity::Warning, name,
                     "its name contains " + joined(keywords, " and ") + ", so it becomes " +
                         becomes(roleOf(name)) + " (the first of roid, sun, ring, tcan wins)",
                     "give it a name with one keyword");
    }
    processMeshNode(node, name, placement, build);
}

void requireCamera(LevelBuild& build) {
    if (!build.cameras.empty()) {
        return;
    }
    const std::string& path = build.path;
    build.refuse("Level " + path +
                     " has no node named \"Camera\": it marks where the ship starts, and "
                     "the level cannot be played without it.",
                 path, "it has no node named \"Camera\", which marks where the ship starts",
                 isGltf(build.format)
                     ? "add an Empty or a camera named Camera where the ship should start (a "
                       "camera is exported only with Include > Cameras ticked)"
                     : "add a camera named Camera where the ship should start");
}

World makeWorld(LevelBuild& build) {
    World world;
    world.objects = std::move(build.objects);
    world.skyboxName = levelSkyName(build.path);
    world.ambient = glm::vec3(1.0f);
    world.pointLights = std::move(build.pointLights);
    world.pointLightNames = std::move(build.pointLightNames);
    world.camera = build.cameras.front();
    world.gameStatePtr = nullptr;
    world.remainingTrash = static_cast<int32_t>(
        std::count_if(world.objects.begin(), world.objects.end(),
                      [](const GameObject& object) { return object.kind == ObjectKind::Trash; }));
    world.collectedTrash = 0;
    world.currentRing = firstRingPosition(world.objects);
    return world;
}

// The level's bodies enter the physics world together when the load is done.
class BodyBatch {
public:
    BodyBatch() { PhysicsContext::instance().beginBatch(); }
    ~BodyBatch() { PhysicsContext::instance().endBatch(); }
    BodyBatch(const BodyBatch&) = delete;
    BodyBatch& operator=(const BodyBatch&) = delete;
};

} // namespace

LevelResult buildLevel(const std::string& path, const aiScene* scene, LevelFormat format,
                       const LevelReadOptions& options) {
    // The model cache first, so that its own start-up entries are in the
    // stores before the level's positions are counted.
    ModelLoader::instance();
    // Declared before the build, so that a refused level's bodies are gone
    // before the batch would insert them.
    BodyBatch batch;
    LevelBuild build{path, scene, static_cast<uint32_t>(meshStore().size()), options, format};

    // 1. The meshes.
    for (unsigned k = 0; k < scene->mNumMeshes; ++k) {
        Mesh mesh = [&] {
            Stopwatch watch(build.figure(&LevelLoadTimes::meshes));
            return buildMesh(scene->mMeshes[k], scene, TangentFrame::Compute, path);
        }();
        meshStore().push(std::move(mesh));
    }
    // 2. The root's children.
    const aiNode* root = scene->mRootNode;
    for (unsigned i = 0; i < root->mNumChildren && build.error.empty(); ++i) {
        processWorldNode(root->mChildren[i], i, build);
    }
    // 3. Deeper nodes.
    if (build.error.empty()) {
        reportDeepKeywordNodes(root, build);
    }
    // 4. The start.
    if (build.error.empty()) {
        requireCamera(build);
    }
    // 5. The track.
    if (build.error.empty()) {
        appendRings(build);
    }
    if (!build.error.empty()) {
        return {std::nullopt, std::move(build.error), std::move(build.findings),
                LevelFailure::Unplayable};
    }
    // 6. The upload: the level's meshes, their finer levels and the ship's,
    // in one go.
    if (build.upload) {
        Stopwatch watch(build.figure(&LevelLoadTimes::upload));
        for (std::size_t position = build.meshBase; position < meshStore().size(); ++position) {
            meshStore().at(position).upload();
        }
    }
    // 7. The world.
    return {makeWorld(build), {}, std::move(build.findings), LevelFailure::None};
}
