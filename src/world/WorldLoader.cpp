#include "world/WorldLoader.h"

#include "assets/MeshBuilder.h"
#include "assets/ModelLoader.h"
#include "assets/RegularFile.h"
#include "assets/ShapeStores.h"
#include "assets/Subdivision.h"
#include "core/Log.h"
#include "physics/CollisionMeshes.h"
#include "physics/GameBodies.h"
#include "world/RingNumber.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>

namespace {

constexpr unsigned LEVEL_IMPORT_FLAGS = aiProcess_JoinIdenticalVertices | aiProcess_Triangulate |
                                        aiProcess_GenUVCoords | aiProcess_FlipUVs;
static_assert(LEVEL_IMPORT_FLAGS == 0x84000A);

const std::string levelDirectory = "res/assets/models/worlds/";
const char* const SKYBOX_NAME = "BSpace";
// Finer levels of detail made for every asteroid model.
constexpr int ASTEROID_DETAIL_LEVELS = 3;
const glm::vec3 CAMERA_OFFSET{0.0f, 3.0f, -10.0f};

glm::quat halfTurn() {
    return glm::angleAxis(glm::pi<float>(), glm::vec3(0.0f, 1.0f, 0.0f));
}

// Adds the time of its scope to one of the load's figures.
class Stopwatch {
public:
    explicit Stopwatch(double* figure) : figure_(figure) {}
    ~Stopwatch() {
        if (figure_) {
            *figure_ += std::chrono::duration<double>(Clock::now() - start_).count();
        }
    }
    Stopwatch(const Stopwatch&) = delete;
    Stopwatch& operator=(const Stopwatch&) = delete;

private:
    using Clock = std::chrono::steady_clock;
    double* figure_;
    Clock::time_point start_ = Clock::now();
};

// What a mesh node becomes, by the first word its name contains.
enum class NodeRole { Asteroid, Sun, Ring, Trash, Nothing };

NodeRole roleOf(const std::string& name) {
    if (name.find("roid") != std::string::npos) {
        return NodeRole::Asteroid;
    }
    if (name.find("sun") != std::string::npos) {
        return NodeRole::Sun;
    }
    if (name.find("ring") != std::string::npos) {
        return NodeRole::Ring;
    }
    if (name.find("tcan") != std::string::npos) {
        return NodeRole::Trash;
    }
    return NodeRole::Nothing;
}

// Everything one load builds before it becomes a world. Whatever is still
// here when the load gives up is released with it.
struct LevelBuild {
    LevelBuild(const std::string& path, const aiScene* scene, uint32_t meshBase,
               LevelLoadTimes* times)
        : path(path), scene(scene), meshBase(meshBase), times(times) {}

    const std::string& path;
    const aiScene* scene;
    uint32_t meshBase;
    LevelLoadTimes* times;
    std::list<GameObject> objects;
    std::vector<PointLight> pointLights;
    std::vector<StickyCamera> cameras;
    std::map<int32_t, GameObject> ringsByNumber;
    // The node each ring came from, for the messages.
    std::map<int32_t, std::string> ringNodes;
    // Rings left out for a number already taken, as the words for a
    // message: a gap they cause should not look like a missing node.
    std::vector<std::string> droppedRings;
    // Set when the level cannot be played; the walk stops.
    std::string error;

    double* figure(double LevelLoadTimes::*member) { return times ? &(times->*member) : nullptr; }
};

// The first cached model drawn by exactly these meshes and geometries, if any.
std::optional<std::size_t> findModel(const std::vector<uint32_t>& meshList,
                                     const std::vector<uint32_t>& geometryList) {
    ModelLoader& models = ModelLoader::instance();
    for (std::size_t i = 0; i < models.size(); ++i) {
        const Model& model = models.at(i);
        if (!model.meshLevels.empty() && !model.geometryLevels.empty() &&
            model.meshLevels.front() == meshList && model.geometryLevels.front() == geometryList) {
            return i;
        }
    }
    return std::nullopt;
}

bool modelNameTaken(const std::string& name) {
    ModelLoader& models = ModelLoader::instance();
    for (std::size_t i = 0; i < models.size(); ++i) {
        if (models.nameAt(i) == name) {
            return true;
        }
    }
    return false;
}

// The cache finds models by name and the first entry of a name wins, so a
// node whose name is already taken (by a level loaded earlier in the run, or
// a model file) would be drawn and shaped with the other model. Such a node's
// model gets a name of its own: the node's name and "#2", "#3", ...
std::string freeModelName(const std::string& name) {
    if (!modelNameTaken(name)) {
        return name;
    }
    // Levels loaded again and again (tests, benchmarks) would otherwise try
    // every used suffix each time.
    static std::map<std::string, int> lastSuffix;
    for (int& n = lastSuffix.try_emplace(name, 1).first->second;;) {
        std::string candidate = name + "#" + std::to_string(++n);
        if (!modelNameTaken(candidate)) {
            return candidate;
        }
    }
}

// The mesh a node's collision shape is cooked from: its first child's
// first mesh.
const aiMesh* collisionSource(const aiNode* node, const aiScene* scene) {
    if (node->mNumChildren == 0) {
        return nullptr;
    }
    const aiNode* child = node->mChildren[0];
    if (child->mNumMeshes == 0 || child->mMeshes[0] >= scene->mNumMeshes) {
        return nullptr;
    }
    return scene->mMeshes[child->mMeshes[0]];
}

uint32_t storeMesh(Mesh mesh, LevelBuild& build) {
    const uint32_t position = meshStore().push(std::move(mesh));
    Stopwatch watch(build.figure(&LevelLoadTimes::upload));
    meshStore().at(position).upload();
    return position;
}

// Each refinement is made from the one before and appended as a level of its
// own.
void addDetailLevels(Model& model, LevelBuild& build) {
    uint32_t source = model.meshLevels.front().front();
    for (int level = 0; level < ASTEROID_DETAIL_LEVELS; ++level) {
        Mesh finer = [&] {
            Stopwatch watch(build.figure(&LevelLoadTimes::subdivision));
            return subdivide(meshStore().at(source));
        }();
        source = storeMesh(std::move(finer), build);
        model.meshLevels.push_back({source});
    }
}

// `shared` says that the node took the name of another node whose meshes it
// shares.
void placeRing(const std::string& name, const std::string& nodeName, bool shared,
               const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
               LevelBuild& build) {
    int32_t number = 0;
    switch (readRingNumber(name, number)) {
    case RingNumberRead::Read:
        break;
    case RingNumberRead::Missing:
        build.error = "Level " + build.path + ": node " + nodeName +
                      " is a ring (its name contains \"ring\"), but its name has no ring number "
                      "after its first \"_\"; name the rings ring_0, ring_1, ring_2, ...";
        return;
    case RingNumberRead::OutOfRange:
        build.error = "Level " + build.path + ": node " + nodeName +
                      " has a ring number too large to be read; the ring numbers must run 0, 1, "
                      "2, ... without gaps.";
        return;
    }
    GameObject ring = createRing(position, rotation, scale, name);
    // A second ring of the same number (two nodes sharing their meshes share
    // their name, too) is released here and dropped.
    if (build.ringsByNumber.try_emplace(number, std::move(ring)).second) {
        build.ringNodes.emplace(number, nodeName);
    } else {
        const std::string& first = build.ringNodes.at(number);
        std::string why = nodeName + " counts as a second ring " + std::to_string(number);
        if (shared) {
            why += ", as it shares its meshes with " + first;
        }
        build.droppedRings.push_back(why + ", and was left out");
    }
}

void processWorldNode(const aiNode* node, const aiMatrix4x4& parentTransform, LevelBuild& build) {
    const aiScene* scene = build.scene;
    const bool isRoot = node == scene->mRootNode;
    const aiMatrix4x4 transform = parentTransform * node->mTransformation;
    aiVector3D scaling, translation;
    aiQuaternion turn;
    transform.Decompose(scaling, turn, translation);
    const glm::vec3 position(translation.x, translation.y, translation.z);
    const glm::quat rotation(turn.w, turn.x, turn.y, turn.z);
    const glm::vec3 scale(scaling.x, scaling.y, scaling.z);
    const std::string nodeName(node->mName.C_Str(), node->mName.length);
    std::string name = nodeName;

    if (node->mNumMeshes == 0) {
        if (name.find("Camera") != std::string::npos && build.cameras.empty()) {
            GameObject ship = [&] {
                Stopwatch watch(build.figure(&LevelLoadTimes::ship));
                return createShip(position, rotation * halfTurn(), glm::vec3(1.0f), shipModelFile);
            }();
            build.objects.push_back(std::move(ship));
            build.cameras.emplace_back(&build.objects.back(), CAMERA_OFFSET, halfTurn());
        } else if (name.find("Lamp") != std::string::npos) {
            for (unsigned i = 0; i < scene->mNumLights; ++i) {
                const aiLight* light = scene->mLights[i];
                if (light->mName == node->mName) {
                    build.pointLights.emplace_back(
                        glm::vec3(light->mColorDiffuse.r, light->mColorDiffuse.g,
                                  light->mColorDiffuse.b),
                        position,
                        glm::vec3(light->mAttenuationConstant, light->mAttenuationLinear,
                                  light->mAttenuationQuadratic));
                    break;
                }
            }
        }
    } else {
        std::vector<uint32_t> meshList;
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            meshList.push_back(build.meshBase + node->mMeshes[i]);
        }
        const std::vector<uint32_t> geometryList;
        ModelLoader& models = ModelLoader::instance();

        Model* model = nullptr;
        bool reused = false;
        if (auto found = findModel(meshList, geometryList)) {
            // The node is another copy of a model already made: it takes that
            // model's name, and with it its collision mesh and ring number.
            name = models.nameAt(*found);
            model = &models.at(*found);
            reused = true;
        }
        const NodeRole role = roleOf(name);
        if (!model && !isRoot) {
            // The collision mesh is listed only if one is cooked for this
            // model, so that the position never names another model's mesh.
            const aiMesh* source =
                role == NodeRole::Nothing ? nullptr : collisionSource(node, scene);
            std::vector<uint32_t> collision;
            if (source) {
                collision.push_back(static_cast<uint32_t>(collisionMeshStore().size()));
            }
            name = freeModelName(name);
            models.add(name, meshList, geometryList, collision);
            model = &models.at(models.size() - 1);
            if (source) {
                Stopwatch watch(build.figure(&LevelLoadTimes::cooking));
                const Mesh mesh = collisionSourceMesh(source);
                const bool surface = role == NodeRole::Asteroid || role == NodeRole::Sun;
                if (surface) {
                    collisionMeshStore().push(cookTriMesh(mesh));
                } else {
                    collisionMeshStore().push(cookConvex(mesh));
                }
            }
        }
        if (!model) {
            model = &models.get(name);
        }

        const bool fresh = !reused && !isRoot;
        switch (role) {
        case NodeRole::Asteroid:
            if (fresh && !model->meshLevels.empty() && !model->meshLevels.front().empty()) {
                addDetailLevels(*model, build);
            }
            build.objects.push_back(createObstacle(position, rotation, scale, name));
            break;
        case NodeRole::Sun:
            build.objects.push_back(createObstacle(position, rotation, scale, name));
            break;
        case NodeRole::Ring:
            placeRing(name, nodeName, reused, position, rotation, scale, build);
            break;
        case NodeRole::Trash:
            build.objects.push_back(createTrash(position, rotation, scale, name));
            break;
        case NodeRole::Nothing:
            break;
        }
    }

    if (isRoot) {
        for (unsigned i = 0; i < node->mNumChildren && build.error.empty(); ++i) {
            processWorldNode(node->mChildren[i], transform, build);
        }
    }
}

// Moves the rings to the end of the list in number order, or says why the
// numbering is broken.
std::string appendRings(LevelBuild& build) {
    if (!build.ringsByNumber.empty() && build.ringsByNumber.begin()->first < 0) {
        const auto& [number, node] = *build.ringNodes.begin();
        return "Level " + build.path + ": node " + node + " has the ring number " +
               std::to_string(number) +
               ", but the ring numbers must run 0, 1, 2, ... without gaps.";
    }
    const int32_t count = static_cast<int32_t>(build.ringsByNumber.size());
    for (int32_t i = 0; i < count; ++i) {
        if (!build.ringsByNumber.contains(i)) {
            std::string found;
            for (const auto& [number, node] : build.ringNodes) {
                found += (found.empty() ? "" : ", ") + node;
            }
            for (const std::string& dropped : build.droppedRings) {
                found += "; " + dropped;
            }
            return "Level " + build.path +
                   ": the ring numbers must run 0, 1, 2, ... without gaps, but there is no ring_" +
                   std::to_string(i) + " (found " + found + ").";
        }
    }
    for (int32_t i = 0; i < count; ++i) {
        build.objects.push_back(std::move(build.ringsByNumber.at(i)));
    }
    build.ringsByNumber.clear();
    return {};
}

} // namespace

WorldLoader::WorldLoader() : AssetLoader<World>(levelDirectory) {}

World WorldLoader::load(const std::string& name) {
    LevelResult result = read(name);
    if (!result.world) {
        logMessage(LogLevel::ERROR, result.error);
        std::exit(EXIT_FAILURE);
    }
    return std::move(*result.world);
}

LevelResult WorldLoader::read(const std::string& name, LevelLoadTimes* times) {
    return readFile(directory + name, {times});
}

LevelResult WorldLoader::readFile(const std::string& path, const LevelReadOptions& options) {
    LevelLoadTimes* times = options.times;
    Stopwatch total(times ? &times->total : nullptr);
    // The model cache first, so that its own start-up entries are in the
    // stores before the level's positions are counted.
    ModelLoader::instance();
    // A named pipe would block the import forever.
    if (const std::string problem = nonRegularFileProblem(path); !problem.empty()) {
        return {std::nullopt, "Level " + path + " cannot be read: " + problem + ".", {}};
    }
    Assimp::Importer importer;
    const aiScene* scene = [&] {
        Stopwatch watch(times ? &times->import : nullptr);
        return importer.ReadFile(path, LEVEL_IMPORT_FLAGS);
    }();
    if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->mRootNode) {
        std::string error = importer.GetErrorString();
        if (error.empty()) {
            // The importer marks a scene without any mesh incomplete and
            // says no more.
            error = "the scene is incomplete; a level needs at least one mesh";
        }
        return {std::nullopt, "Level " + path + " cannot be read: Assimp: " + error, {}};
    }

    LevelBuild build{path, scene, static_cast<uint32_t>(meshStore().size()), times};
    for (unsigned k = 0; k < scene->mNumMeshes; ++k) {
        Mesh mesh = [&] {
            Stopwatch watch(build.figure(&LevelLoadTimes::meshes));
            return buildMesh(scene->mMeshes[k], scene, TangentFrame::Compute, path);
        }();
        storeMesh(std::move(mesh), build);
    }

    processWorldNode(scene->mRootNode, aiMatrix4x4(), build);
    if (build.error.empty() && build.cameras.empty()) {
        build.error = "Level " + path +
                      " has no node named \"Camera\": it marks where the ship starts, and the "
                      "level cannot be played without it.";
    }
    if (build.error.empty()) {
        build.error = appendRings(build);
    }
    if (!build.error.empty()) {
        return {std::nullopt, std::move(build.error), {}};
    }

    World world;
    world.objects = std::move(build.objects);
    world.skyboxName = SKYBOX_NAME;
    world.ambient = glm::vec3(1.0f);
    world.pointLights = std::move(build.pointLights);
    world.camera = build.cameras.front();
    world.gameStatePtr = nullptr;
    world.remainingTrash = static_cast<int32_t>(
        std::count_if(world.objects.begin(), world.objects.end(),
                      [](const GameObject& object) { return object.kind == ObjectKind::Trash; }));
    world.collectedTrash = 0;
    world.currentRing = -1;
    int32_t position = 0;
    for (const GameObject& object : world.objects) {
        if (object.kind == ObjectKind::Ring) {
            world.currentRing = position;
            break;
        }
        ++position;
    }
    return {std::move(world), {}, {}};
}
