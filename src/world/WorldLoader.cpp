#include "world/WorldLoader.h"

#include "assets/AssetPaths.h"
#include "assets/MeshBuilder.h"
#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "core/Log.h"
#include "core/RegularFile.h"
#include "physics/CollisionMeshes.h"
#include "physics/GameBodies.h"
#include "physics/PhysicsContext.h"
#include "world/DetailLevels.h"
#include "world/LevelChecks.h"
#include "world/LevelFile.h"
#include "world/RingNumber.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace {

using Severity = LevelFinding::Severity;

constexpr unsigned LEVEL_IMPORT_FLAGS = aiProcess_JoinIdenticalVertices | aiProcess_Triangulate |
                                        aiProcess_GenUVCoords | aiProcess_FlipUVs;
static_assert(LEVEL_IMPORT_FLAGS == 0x84000A);

const char* const SKYBOX_NAME = "BSpace";
const glm::vec3 CAMERA_OFFSET{0.0f, 3.0f, -10.0f};
// Blender writes matrices with float noise: an identity within this is one.
constexpr float IDENTITY_TOLERANCE = 1e-5f;

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

struct RoleWord {
    const char* word;
    NodeRole role;
    const char* becomes;
};
constexpr RoleWord ROLE_WORDS[] = {
    {"roid", NodeRole::Asteroid, "an asteroid"},
    {"sun", NodeRole::Sun, "an obstacle"},
    {"ring", NodeRole::Ring, "a ring"},
    {"tcan", NodeRole::Trash, "a trash can"},
};

NodeRole roleOf(const std::string& name) {
    for (const RoleWord& entry : ROLE_WORDS) {
        if (name.find(entry.word) != std::string::npos) {
            return entry.role;
        }
    }
    return NodeRole::Nothing;
}

const char* becomes(NodeRole role) {
    for (const RoleWord& entry : ROLE_WORDS) {
        if (entry.role == role) {
            return entry.becomes;
        }
    }
    return "nothing";
}

// The keywords a name contains, quoted and joined ("\"roid\" and \"ring\"").
std::vector<std::string> keywordsIn(const std::string& name) {
    std::vector<std::string> found;
    for (const RoleWord& entry : ROLE_WORDS) {
        if (name.find(entry.word) != std::string::npos) {
            found.push_back(std::string("\"") + entry.word + "\"");
        }
    }
    return found;
}

std::string joined(const std::vector<std::string>& parts, const std::string& last) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == parts.size() ? last : ", ") + parts[i];
    }
    return text;
}

std::string nodeName(const aiNode* node) {
    return std::string(node->mName.C_Str(), node->mName.length);
}

bool finite(const aiMatrix4x4& m) {
    const float* values = &m.a1;
    return std::all_of(values, values + 16, [](float v) { return std::isfinite(v); });
}

bool isIdentity(const aiMatrix4x4& m) {
    const aiMatrix4x4 identity;
    const float* values = &m.a1;
    const float* expected = &identity.a1;
    for (int i = 0; i < 16; ++i) {
        if (!(std::abs(values[i] - expected[i]) <= IDENTITY_TOLERANCE)) {
            return false;
        }
    }
    return true;
}

// Where and how a node is placed in the level.
struct Placement {
    glm::vec3 position{0.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 scale{1.0f};
    // Empty when the placement can be used.
    std::string problem;
};

Placement placementOf(const aiMatrix4x4& transform) {
    Placement placement;
    if (!finite(transform)) {
        placement.problem = "its transform is not finite (it holds NaN or an infinite value)";
        placement.scale = glm::vec3(NAN);
        return placement;
    }
    aiVector3D scaling, translation;
    aiQuaternion turn;
    transform.Decompose(scaling, turn, translation);
    placement.position = glm::vec3(translation.x, translation.y, translation.z);
    placement.rotation = glm::quat(turn.w, turn.x, turn.y, turn.z);
    placement.scale = glm::vec3(scaling.x, scaling.y, scaling.z);
    // The columns' lengths again, where a huge factor does not overflow.
    const aiMatrix4x4& m = transform;
    auto length = [](double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); };
    glm::dvec3 factors(length(m.a1, m.b1, m.c1), length(m.a2, m.b2, m.c2),
                       length(m.a3, m.b3, m.c3));
    if (scaling.x < 0.0f) {
        factors = -factors;
    }
    placement.problem = placementProblem(placement.position, placement.rotation, factors);
    return placement;
}

// Everything one load builds before it becomes a world. Whatever is still
// here when the load gives up is released with it.
struct LevelBuild {
    LevelBuild(const std::string& path, const aiScene* scene, uint32_t meshBase,
               const LevelReadOptions& options)
        : path(path), scene(scene), meshBase(meshBase), times(options.times),
          upload(options.upload) {}

    const std::string& path;
    const aiScene* scene;
    uint32_t meshBase;
    LevelLoadTimes* times;
    bool upload;
    std::list<GameObject> objects;
    std::vector<PointLight> pointLights;
    std::vector<StickyCamera> cameras;
    std::map<int32_t, GameObject> ringsByNumber;
    // The node each ring came from, for the messages.
    std::map<int32_t, std::string> ringNodes;
    // Rings left out, as the words for a message: a gap they cause should
    // not look like a missing node.
    std::vector<std::string> droppedRings;
    // The models this load made, by the meshes that draw them (their
    // positions in the model cache): nodes with the same meshes share one.
    std::map<std::vector<uint32_t>, std::size_t> modelsByMeshes;
    // The first node of each model made by this load, for the messages.
    std::unordered_map<std::string, std::string> firstNodeOfModel;
    // Names of the root's children seen so far.
    std::unordered_map<std::string, int> nodeNames;
    int unnamedMeshNodes = 0;
    std::vector<LevelFinding> findings;
    // Set when the level cannot be played; the walk stops. When set, the
    // last finding says why.
    std::string error;

    double* figure(double LevelLoadTimes::*member) { return times ? &(times->*member) : nullptr; }

    void report(Severity severity, const std::string& node, std::string problem,
                std::string remedy) {
        findings.push_back({severity, node, std::move(problem), std::move(remedy)});
    }
    // Refuses the level with its own line as the error.
    void refuse(const std::string& node, std::string problem, std::string remedy) {
        report(Severity::Error, node, std::move(problem), std::move(remedy));
        error = consoleText(path, findings.back());
    }
    // Refuses the level with an error line of its own wording.
    void refuse(std::string line, const std::string& node, std::string problem,
                std::string remedy) {
        report(Severity::Error, node, std::move(problem), std::move(remedy));
        error = std::move(line);
    }
};

// Whether the model cache holds a name. The cache only appends, so the
// names are taken in as they come: a level of thousands of nodes would
// otherwise walk the whole cache for each of them.
bool modelNameTaken(const std::string& name) {
    // Lives until exit, like the cache it mirrors.
    static std::unordered_set<std::string> names;
    static std::size_t seen = 0;
    ModelLoader& models = ModelLoader::instance();
    for (; seen < models.size(); ++seen) {
        names.insert(models.nameAt(seen));
    }
    return names.contains(name);
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

// The shape a node's collision child gives, cooked with the child's own
// transform, or null after a finding that says why there is none.
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

// The finer levels of an asteroid's new model, and a finding for each mesh
// that is too large for all of them.
void refine(Model& model, const std::string& label, LevelBuild& build) {
    const DetailLevels levels = addDetailLevels(model);
    if (build.times) {
        build.times->subdivision += levels.seconds;
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

std::shared_ptr<const CookedMesh> shapeOf(const Model& model) {
    if (model.collisionMeshes.empty() ||
        model.collisionMeshes.front() >= collisionMeshStore().size()) {
        return nullptr;
    }
    return collisionMeshStore().at(model.collisionMeshes.front());
}

// `shared` names the node whose meshes this one shares, if any.
void placeRing(const std::string& name, const std::string& label, const std::string& shared,
               const Placement& placement, std::shared_ptr<const CookedMesh> shape,
               LevelBuild& build) {
    int32_t number = 0;
    switch (readRingNumber(name, number)) {
    case RingNumberRead::Read:
        break;
    case RingNumberRead::Missing:
        build.refuse("Level " + build.path + ": node " + label +
                         " is a ring (its name contains \"ring\"), but its name has no ring "
                         "number after its first \"_\"; name the rings ring_0, ring_1, ring_2, "
                         "...",
                     label, "it is a ring, but its name has no ring number after its first \"_\"",
                     "name the rings ring_0, ring_1, ring_2, ...");
        return;
    case RingNumberRead::OutOfRange:
        build.refuse("Level " + build.path + ": node " + label +
                         " has a ring number too large to be read; the ring numbers must run 0, "
                         "1, 2, ... without gaps.",
                     label, "its ring number is too large to be read",
                     "number the rings 0, 1, 2, ... without gaps");
        return;
    }
    GameObject ring =
        createRing(placement.position, placement.rotation, placement.scale, name, std::move(shape));
    // A second ring of the same number (two nodes sharing their meshes share
    // their name, too) is released here and dropped.
    if (build.ringsByNumber.try_emplace(number, std::move(ring)).second) {
        build.ringNodes.emplace(number, label);
        return;
    }
    const std::string& first = build.ringNodes.at(number);
    std::string why = label + " counts as a second ring " + std::to_string(number);
    if (!shared.empty()) {
        why += ", as it shares its meshes with " + shared;
    }
    build.droppedRings.push_back(why + ", and was left out");
    build.report(Severity::Error, label,
                 "it counts as a second ring " + std::to_string(number) + " after " + first +
                     (shared.empty() ? "" : ", as it shares its meshes with " + shared) +
                     ", and is left out",
                 shared.empty() ? "give each ring a number of its own"
                                : "give each ring a mesh of its own (in Blender: Object > "
                                  "Relations > Make Single User)");
}

void placeCamera(const std::string& label, const Placement& placement, LevelBuild& build) {
    if (!placement.problem.empty()) {
        build.refuse(label, placement.problem + ", so the ship has no start",
                     "clear the camera's transform in Blender and place it again");
        return;
    }
    GameObject ship = [&] {
        Stopwatch watch(build.figure(&LevelLoadTimes::ship));
        return createShip(placement.position, placement.rotation * halfTurn(), glm::vec3(1.0f),
                          shipModelFile, build.upload ? MeshUpload::Now : MeshUpload::Later);
    }();
    build.objects.push_back(std::move(ship));
    build.cameras.emplace_back(&build.objects.back(), CAMERA_OFFSET, halfTurn());
}

void placeLamp(const aiNode* node, const std::string& label, const Placement& placement,
               LevelBuild& build) {
    const aiScene* scene = build.scene;
    const aiLight* light = nullptr;
    for (unsigned i = 0; i < scene->mNumLights && !light; ++i) {
        if (scene->mLights[i]->mName == node->mName) {
            light = scene->mLights[i];
        }
    }
    if (!light) {
        build.report(Severity::Warning, label,
                     "no light of the scene has its name, so it gives no light",
                     "give the lamp node and its light the same name");
        return;
    }
    if (!placement.problem.empty()) {
        build.report(Severity::Error, label, placement.problem + ", so it is left out",
                     "clear the lamp's transform in Blender and place it again");
        return;
    }
    if (build.pointLights.size() >= MAX_POINT_LIGHTS) {
        build.report(Severity::Warning, label,
                     "the level has more than " + std::to_string(MAX_POINT_LIGHTS) +
                         " lamps, and the game lights with the first " +
                         std::to_string(MAX_POINT_LIGHTS) + " only, so this one is left out",
                     "use at most " + std::to_string(MAX_POINT_LIGHTS) + " lamps");
        return;
    }
    const aiColor3D& c = light->mColorDiffuse;
    build.pointLights.push_back(
        saneLamp(label, glm::vec3(c.r, c.g, c.b), placement.position,
                 glm::vec3(light->mAttenuationConstant, light->mAttenuationLinear,
                           light->mAttenuationQuadratic),
                 build.findings));
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
        if (name.find("Camera") != std::string::npos) {
            if (build.cameras.empty()) {
                placeCamera(name, placement, build);
            }
        } else if (name.find("Lamp") != std::string::npos) {
            placeLamp(node, name, placement, build);
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

// Nodes below the root's children never become objects: a keyword there
// shows an object the designer meant to place. A mesh node's first child is
// its collision shape and carries the keyword of its parent by custom.
void reportDeepKeywordNodes(const aiNode* root, LevelBuild& build) {
    struct Visit {
        const aiNode* node;
        const aiNode* parent;
    };
    // Depth first in scene order: children are pushed last first.
    std::vector<Visit> pending;
    auto pushChildren = [&](const aiNode* node) {
        for (unsigned k = node->mNumChildren; k-- > 0;) {
            pending.push_back({node->mChildren[k], node});
        }
    };
    for (unsigned i = root->mNumChildren; i-- > 0;) {
        pushChildren(root->mChildren[i]);
    }
    while (!pending.empty()) {
        const Visit visit = pending.back();
        pending.pop_back();
        const aiNode* node = visit.node;
        const bool collisionChild = visit.parent->mParent == root && visit.parent->mNumMeshes > 0 &&
                                    visit.parent->mChildren[0] == node;
        const std::string name = nodeName(node);
        if (!collisionChild && node->mNumMeshes > 0 && !keywordsIn(name).empty()) {
            build.report(Severity::Warning, name,
                         "it lies below " + nodeName(visit.parent) +
                             ", and only the scene root's direct children become objects, so "
                             "it is ignored",
                         "unparent it in Blender (Alt+P) so that it sits at the top of the "
                         "scene");
        }
        pushChildren(node);
    }
}

// Moves the rings to the end of the list in number order, or refuses the
// level and says why the numbering is broken.
void appendRings(LevelBuild& build) {
    const std::string& path = build.path;
    const std::string track = "number the rings ring_0, ring_1, ring_2, ... in the order they "
                              "are flown";
    if (build.ringsByNumber.empty()) {
        std::string problem = "it has no ring, so it can never be finished";
        if (build.unnamedMeshNodes > 0) {
            problem += " (a mesh node without a name was left out)";
        }
        build.refuse(path, problem,
                     "add rings named ring_0, ring_1, ... each with a collision child");
        return;
    }
    if (build.ringsByNumber.begin()->first < 0) {
        const auto& [number, node] = *build.ringNodes.begin();
        build.refuse("Level " + path + ": node " + node + " has the ring number " +
                         std::to_string(number) +
                         ", but the ring numbers must run 0, 1, 2, ... without gaps.",
                     node, "its ring number is " + std::to_string(number), track);
        return;
    }
    const int32_t count = static_cast<int32_t>(build.ringsByNumber.size());
    for (int32_t i = 0; i < count; ++i) {
        if (build.ringsByNumber.contains(i)) {
            continue;
        }
        std::string found;
        for (const auto& [number, node] : build.ringNodes) {
            found += (found.empty() ? "" : ", ") + node;
        }
        for (const std::string& dropped : build.droppedRings) {
            found += "; " + dropped;
        }
        if (build.unnamedMeshNodes > 0) {
            found += "; a mesh node without a name was left out (the importer empties names "
                     "of 1024 characters or more)";
        }
        const std::string problem = "the ring numbers must run 0, 1, 2, ... without gaps, but "
                                    "there is no ring_" +
                                    std::to_string(i) + " (found " + found + ")";
        build.refuse("Level " + path + ": " + problem + ".", path, problem, track);
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        build.objects.push_back(std::move(build.ringsByNumber.at(i)));
    }
    build.ringsByNumber.clear();
}

World makeWorld(LevelBuild& build) {
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

LevelResult refused(std::string error, std::vector<LevelFinding> findings) {
    return {std::nullopt, std::move(error), std::move(findings)};
}

} // namespace

WorldLoader::WorldLoader() : AssetLoader<World>(levelDirectory()) {}

World WorldLoader::load(const std::string& name) {
    const std::string path = directory + name;
    LevelResult result = read(name);
    // A refused level's last finding is the reason, said by the error line.
    const std::size_t shown = result.findings.size() - (result.world ? 0 : 1);
    for (std::size_t i = 0; i < shown && i < result.findings.size(); ++i) {
        const LevelFinding& finding = result.findings[i];
        logMessage(finding.severity == Severity::Error ? LogLevel::ERROR : LogLevel::INFO,
                   consoleText(path, finding));
    }
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
    if (const std::string problem = levelFileProblem(path); !problem.empty()) {
        // A file that cannot be opened is the wrong path; one that opens but
        // is broken inside wants exporting again.
        const bool unopened = problem.starts_with("cannot be read");
        return refused("Level " + path + " " + problem + ".",
                       {{Severity::Error, path, problem,
                         unopened ? "give the path of a COLLADA file"
                                  : "export it again from Blender as COLLADA (.dae)"}});
    }
    // The model cache first, so that its own start-up entries are in the
    // stores before the level's positions are counted.
    ModelLoader::instance();
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
        return refused("Level " + path + " cannot be read: Assimp: " + error,
                       {{Severity::Error, path, "it cannot be read: Assimp: " + error,
                         "export it again from Blender as COLLADA (.dae)"}});
    }

    // Declared before the build, so that a refused level's bodies are gone
    // before the batch would insert them.
    BodyBatch batch;
    LevelBuild build{path, scene, static_cast<uint32_t>(meshStore().size()), options};
    for (unsigned k = 0; k < scene->mNumMeshes; ++k) {
        Mesh mesh = [&] {
            Stopwatch watch(build.figure(&LevelLoadTimes::meshes));
            return buildMesh(scene->mMeshes[k], scene, TangentFrame::Compute, path);
        }();
        meshStore().push(std::move(mesh));
    }

    const aiNode* root = scene->mRootNode;
    for (unsigned i = 0; i < root->mNumChildren && build.error.empty(); ++i) {
        processWorldNode(root->mChildren[i], i, build);
    }
    if (build.error.empty()) {
        reportDeepKeywordNodes(root, build);
    }
    if (build.error.empty() && build.cameras.empty()) {
        build.refuse("Level " + path +
                         " has no node named \"Camera\": it marks where the ship starts, and "
                         "the level cannot be played without it.",
                     path, "it has no node named \"Camera\", which marks where the ship starts",
                     "add a camera named Camera where the ship should start");
    }
    if (build.error.empty()) {
        appendRings(build);
    }
    if (!build.error.empty()) {
        return refused(std::move(build.error), std::move(build.findings));
    }
    if (build.upload) {
        // The level's meshes, their finer levels and the ship's, in one go.
        Stopwatch watch(build.figure(&LevelLoadTimes::upload));
        for (std::size_t position = build.meshBase; position < meshStore().size(); ++position) {
            meshStore().at(position).upload();
        }
    }
    return {makeWorld(build), {}, std::move(build.findings)};
}
