// The content shipped in res/ read the way the game reads it: every track of the list and
// the ship with the game's import flags, the textures they name, the sky faces and the
// font; and the level checker's verdict on every track.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include "GameProcess.h"
#include "TempDir.h"
#include "TrackCheck.h"
#include "Tracks.h"
#include "assets/MaterialSidecar.h"
#include "world/LevelSky.h"

namespace fs = std::filesystem;

namespace {

const fs::path RES = fs::path(KELVARO_SOURCE_DIR) / "res";
const fs::path TEXTURES = RES / "assets" / "textures";
const fs::path WORLDS = RES / "assets" / "models" / "worlds";
constexpr unsigned WORLD_FLAGS = aiProcess_JoinIdenticalVertices | aiProcess_Triangulate |
                                 aiProcess_GenUVCoords | aiProcess_FlipUVs;
constexpr unsigned MODEL_FLAGS =
    aiProcess_JoinIdenticalVertices | aiProcess_Triangulate | aiProcess_GenUVCoords;
const char* const KEYWORDS[] = {"roid", "sun", "ring", "tcan"};

bool contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

struct Pose {
    glm::vec3 position;
    glm::quat rotation;
    glm::vec3 scale;
};

Pose poseOf(const aiNode* node) {
    aiVector3D s, p;
    aiQuaternion r;
    node->mTransformation.Decompose(s, r, p);
    return {{p.x, p.y, p.z}, glm::quat(r.w, r.x, r.y, r.z), {s.x, s.y, s.z}};
}

std::vector<std::string> textureNames(const aiMaterial* material, aiTextureType type) {
    std::vector<std::string> names;
    for (unsigned i = 0; i < material->GetTextureCount(type); ++i) {
        aiString path;
        material->GetTexture(type, i, &path);
        names.emplace_back(path.C_Str());
    }
    return names;
}

// Every edge used once in each direction: what Loop subdivision needs of the asteroids.
bool closedManifold(const aiMesh* mesh) {
    std::map<std::pair<unsigned, unsigned>, int> directed;
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        if (face.mNumIndices != 3) {
            return false;
        }
        for (unsigned k = 0; k < 3; ++k) {
            if (++directed[{face.mIndices[k], face.mIndices[(k + 1) % 3]}] > 1) {
                return false;
            }
        }
    }
    for (const auto& [edge, count] : directed) {
        if (!directed.count({edge.second, edge.first})) {
            return false;
        }
    }
    return true;
}

struct TrackEntry {
    std::string file;
    int difficulty = 0;
    std::string name;
};

void PrintTo(const TrackEntry& track, std::ostream* out) {
    *out << track.file;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    const auto last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The track list's entries, in order: "file | difficulty | name" lines.
std::vector<TrackEntry> listedTracks() {
    std::ifstream in(WORLDS / "tracks.list", std::ios::binary);
    std::vector<TrackEntry> tracks;
    std::string line;
    while (std::getline(in, line)) {
        line = trimmed(line);
        const auto bar = line.find('|'), second = line.find('|', bar + 1);
        if (line.empty() || line[0] == '#' || second == std::string::npos) {
            continue;
        }
        tracks.push_back({trimmed(line.substr(0, bar)),
                          std::atoi(line.substr(bar + 1, second - bar - 1).c_str()),
                          trimmed(line.substr(second + 1))});
    }
    return tracks;
}

const TrackDesign* designOf(const std::string& file) {
    for (const TrackDesign& design : trackDesigns()) {
        if (design.file == file) {
            return &design;
        }
    }
    return nullptr;
}

// A level's scene, and what the game and the generator see in it.
struct LevelScene {
    std::vector<const aiNode*> children(const char* word, bool withMeshes = true) const {
        std::vector<const aiNode*> found;
        for (unsigned i = 0; i < scene->mRootNode->mNumChildren; ++i) {
            const aiNode* node = scene->mRootNode->mChildren[i];
            if ((node->mNumMeshes > 0) == withMeshes && contains(node->mName.C_Str(), word)) {
                found.push_back(node);
            }
        }
        return found;
    }
    // Bounding sphere of a mesh node in the world, from its first mesh and its scale.
    ObstacleSphere sphereOf(const aiNode* node) const {
        Pose pose = poseOf(node);
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[0]];
        float r = 0.0f;
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D& p = mesh->mVertices[v];
            r = std::max(r, glm::length(glm::vec3(p.x, p.y, p.z)));
        }
        float s =
            std::max({std::abs(pose.scale.x), std::abs(pose.scale.y), std::abs(pose.scale.z)});
        return {pose.position, r * s};
    }
    std::vector<std::pair<int, const aiNode*>> ringsByNumber() const {
        std::vector<std::pair<int, const aiNode*>> rings;
        for (const aiNode* node : children("ring")) {
            std::string name = node->mName.C_Str();
            rings.emplace_back(std::stoi(name.substr(name.find('_') + 1)), node);
        }
        std::sort(rings.begin(), rings.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        return rings;
    }

    struct TrackStart {
        glm::vec3 position;
        glm::vec3 forward;
    };
    TrackStart startOf() const {
        Pose camera = poseOf(children("Camera", false).at(0));
        return {camera.position, camera.rotation * glm::angleAxis(3.1415927f, glm::vec3(0, 1, 0)) *
                                     glm::vec3(0, 0, 1)};
    }
    std::vector<TrackRing> rings() const {
        std::vector<TrackRing> found;
        for (const auto& [number, node] : ringsByNumber()) {
            Pose pose = poseOf(node);
            found.push_back({pose.position, pose.rotation * glm::vec3(0, 0, 1)});
        }
        return found;
    }
    std::vector<ObstacleSphere> asteroidSpheres() const {
        std::vector<ObstacleSphere> spheres;
        for (const aiNode* node : children("roid")) {
            spheres.push_back(sphereOf(node));
        }
        return spheres;
    }
    // The generator's checks run again on what the file holds.
    TrackReport reportOf(const FlightLimits& limits) const {
        const TrackStart start = startOf();
        return checkTrack(start.position, start.forward, rings(), asteroidSpheres(), limits);
    }

    const aiScene* scene = nullptr;
};

// Every test runs on every listed track; each level is read once.
class ShippedLevel : public testing::TestWithParam<TrackEntry>, protected LevelScene {
protected:
    void SetUp() override {
        static std::map<std::string, std::unique_ptr<Assimp::Importer>> importers;
        auto& importer = importers[GetParam().file];
        if (!importer) {
            importer = std::make_unique<Assimp::Importer>();
            importer->ReadFile(levelPath().string(), WORLD_FLAGS);
        }
        scene = importer->GetScene();
        ASSERT_NE(scene, nullptr) << importer->GetErrorString();
        ASSERT_FALSE(scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE);
        ASSERT_NE(scene->mRootNode, nullptr);
    }
    fs::path levelPath() const { return WORLDS / GetParam().file; }
};

std::string trackTestName(const testing::TestParamInfo<TrackEntry>& info) {
    std::string name = fs::path(info.param.file).stem().string();
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Tracks, ShippedLevel, testing::ValuesIn(listedTracks()), trackTestName);

TEST_P(ShippedLevel, RootIsTheSceneWithTheObjectsAsItsChildren) {
    EXPECT_TRUE(scene->mRootNode->mTransformation.IsIdentity());
    EXPECT_EQ(scene->mRootNode->mNumMeshes, 0u);
    EXPECT_GT(scene->mRootNode->mNumChildren, 80u);
}

TEST_P(ShippedLevel, ShipStartsAtTheCameraWithTheFirstRingStraightAhead) {
    auto cameras = children("Camera", false);
    ASSERT_EQ(cameras.size(), 1u);
    EXPECT_TRUE(children("Camera", true).empty());
    Pose camera = poseOf(cameras[0]);
    // The ship is the camera node turned half a turn about Y and flies along its own +Z.
    glm::quat ship = camera.rotation * glm::angleAxis(3.1415927f, glm::vec3(0, 1, 0));
    glm::vec3 forward = ship * glm::vec3(0, 0, 1);
    auto rings = ringsByNumber();
    ASSERT_FALSE(rings.empty());
    ASSERT_EQ(rings[0].first, 0);
    glm::vec3 toRing = poseOf(rings[0].second).position - camera.position;
    EXPECT_GT(glm::length(toRing), 30.0f);
    EXPECT_GT(glm::dot(glm::normalize(toRing), forward), 0.999f);
    // The ring faces the ship, or is turned by at most half the corner it begins (20
    // degrees).
    glm::vec3 ringAxis = poseOf(rings[0].second).rotation * glm::vec3(0, 0, 1);
    EXPECT_GT(std::abs(glm::dot(ringAxis, forward)), 0.94f);
}

TEST_P(ShippedLevel, TenOrMoreRingsNumberedWithoutGapsEachWithItsOwnMesh) {
    auto rings = ringsByNumber();
    ASSERT_GE(rings.size(), 10u);
    std::set<unsigned> meshes;
    for (size_t i = 0; i < rings.size(); ++i) {
        EXPECT_EQ(rings[i].first, static_cast<int>(i)) << rings[i].second->mName.C_Str();
        // Nodes sharing a mesh share one model and so one number: each ring needs its own.
        EXPECT_TRUE(meshes.insert(rings[i].second->mMeshes[0]).second)
            << rings[i].second->mName.C_Str() << " shares its mesh";
    }
}

TEST_P(ShippedLevel, EveryMeshNodeHasOneKeywordAndACollisionChildWithAMesh) {
    std::map<std::string, int> counts;
    for (unsigned i = 0; i < scene->mRootNode->mNumChildren; ++i) {
        const aiNode* node = scene->mRootNode->mChildren[i];
        std::string name = node->mName.C_Str();
        if (node->mNumMeshes == 0) {
            EXPECT_TRUE(contains(name, "Camera") || contains(name, "Lamp")) << name;
            continue;
        }
        int keywords = 0;
        for (const char* word : KEYWORDS) {
            if (contains(name, word)) {
                ++keywords;
                ++counts[word];
            }
        }
        EXPECT_EQ(keywords, 1) << name;
        EXPECT_EQ(node->mNumMeshes, 1u) << name;
        ASSERT_GE(node->mNumChildren, 1u) << name;
        const aiNode* collision = node->mChildren[0];
        EXPECT_GE(collision->mNumMeshes, 1u) << name;
        EXPECT_TRUE(collision->mTransformation.IsIdentity()) << name;
    }
    EXPECT_GE(counts["roid"], 50);
    EXPECT_GE(counts["tcan"], 15);
    EXPECT_EQ(counts["sun"], 1);
    EXPECT_GE(counts["ring"], 10);
}

TEST_P(ShippedLevel, AsteroidsShareAFewClosedRockMeshesThatCanBeSubdivided) {
    std::set<unsigned> rockMeshes;
    std::set<std::vector<float>> scales;
    for (const aiNode* node : children("roid")) {
        rockMeshes.insert(node->mMeshes[0]);
        glm::vec3 s = poseOf(node).scale;
        scales.insert({s.x, s.y, s.z});
        EXPECT_FALSE(s.x == s.y && s.y == s.z) << node->mName.C_Str() << " is scaled uniformly";
    }
    EXPECT_GE(rockMeshes.size(), 4u);
    EXPECT_LE(rockMeshes.size(), 6u);
    EXPECT_EQ(scales.size(), children("roid").size());
    for (unsigned index : rockMeshes) {
        const aiMesh* mesh = scene->mMeshes[index];
        EXPECT_GE(mesh->mNumFaces, 200u);
        EXPECT_LE(mesh->mNumFaces, 1000u);
        EXPECT_TRUE(closedManifold(mesh)) << "rock mesh " << index;
    }
}

// Extent of a mesh in its node's frame: largest distance from the local Z axis, and the
// smallest one, and the half-thickness along Z.
struct AxialExtent {
    float outer = 0.0f, inner = 1e9f, halfDepth = 0.0f;
};
AxialExtent axialExtent(const aiMesh* mesh) {
    AxialExtent e;
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        const aiVector3D& p = mesh->mVertices[v];
        float r = std::sqrt(p.x * p.x + p.y * p.y);
        e.outer = std::max(e.outer, r);
        e.inner = std::min(e.inner, r);
        e.halfDepth = std::max(e.halfDepth, std::abs(p.z));
    }
    return e;
}

TEST_P(ShippedLevel, RingTriggersFillTheOpeningAndCanTriggersEncloseTheCans) {
    for (const aiNode* ring : children("ring")) {
        AxialExtent torus = axialExtent(scene->mMeshes[ring->mMeshes[0]]);
        AxialExtent trigger = axialExtent(scene->mMeshes[ring->mChildren[0]->mMeshes[0]]);
        // A flat disc across the hole, reaching the inner edge of the torus.
        EXPECT_GT(trigger.outer, 0.95f * torus.inner) << ring->mName.C_Str();
        EXPECT_LT(trigger.outer, torus.outer) << ring->mName.C_Str();
        EXPECT_LT(trigger.halfDepth, 1.0f) << ring->mName.C_Str();
        EXPECT_GT(trigger.halfDepth, 0.2f) << ring->mName.C_Str();
        EXPECT_GT(torus.inner, 6.0f) << ring->mName.C_Str();
    }
    for (const aiNode* can : children("tcan")) {
        const aiMesh* body = scene->mMeshes[can->mMeshes[0]];
        const aiMesh* hull = scene->mMeshes[can->mChildren[0]->mMeshes[0]];
        aiVector3D lo(1e9f), hi(-1e9f), hullLo(1e9f), hullHi(-1e9f);
        for (unsigned v = 0; v < body->mNumVertices; ++v) {
            lo = aiVector3D(std::min(lo.x, body->mVertices[v].x),
                            std::min(lo.y, body->mVertices[v].y),
                            std::min(lo.z, body->mVertices[v].z));
            hi = aiVector3D(std::max(hi.x, body->mVertices[v].x),
                            std::max(hi.y, body->mVertices[v].y),
                            std::max(hi.z, body->mVertices[v].z));
        }
        for (unsigned v = 0; v < hull->mNumVertices; ++v) {
            hullLo = aiVector3D(std::min(hullLo.x, hull->mVertices[v].x),
                                std::min(hullLo.y, hull->mVertices[v].y),
                                std::min(hullLo.z, hull->mVertices[v].z));
            hullHi = aiVector3D(std::max(hullHi.x, hull->mVertices[v].x),
                                std::max(hullHi.y, hull->mVertices[v].y),
                                std::max(hullHi.z, hull->mVertices[v].z));
        }
        for (int k = 0; k < 3; ++k) {
            EXPECT_LE(hullLo[k], lo[k]) << can->mName.C_Str() << " axis " << k;
            EXPECT_GE(hullHi[k], hi[k]) << can->mName.C_Str() << " axis " << k;
        }
    }
}

TEST_P(ShippedLevel, EveryMeshHasNormalsAndTextureCoordinates) {
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        EXPECT_TRUE(mesh->HasNormals()) << m;
        EXPECT_TRUE(mesh->HasTextureCoords(0)) << m;
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            ASSERT_NEAR(mesh->mNormals[v].Length(), 1.0f, 1e-3f) << "mesh " << m;
        }
    }
}

// Named relative to the level file, so that Blender opening the level finds
// them; the game finds the same file through its texture folder.
TEST_P(ShippedLevel, EveryMaterialHasADiffuseTextureAndANormalMapNamedRelativeToTheLevel) {
    ASSERT_GT(scene->mNumMaterials, 0u);
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
        const aiMaterial* material = scene->mMaterials[i];
        aiString name;
        material->Get(AI_MATKEY_NAME, name);
        if (std::string(name.C_Str()) == AI_DEFAULT_MATERIAL_NAME) {
            continue;
        }
        auto diffuse = textureNames(material, aiTextureType_DIFFUSE);
        auto normals = textureNames(material, aiTextureType_NORMALS);
        EXPECT_EQ(diffuse.size(), 1u) << name.C_Str();
        EXPECT_EQ(normals.size(), 1u) << name.C_Str();
        diffuse.insert(diffuse.end(), normals.begin(), normals.end());
        for (const auto& file : diffuse) {
            const fs::path besideLevel = (levelPath().parent_path() / file).lexically_normal();
            EXPECT_EQ(besideLevel, (TEXTURES / fs::path(file).filename()).lexically_normal())
                << file;
            EXPECT_TRUE(fs::is_regular_file(besideLevel)) << file;
        }
    }
}

// The material file restores what a Blender round trip drops, so it must say
// exactly what the level itself says: a shipped level looks the same with it.
TEST_P(ShippedLevel, ItsMaterialFileRepeatsTheLevelsOwnValues) {
    std::ifstream in(materialSidecarPath(levelPath().string()), std::ios::binary);
    ASSERT_TRUE(in);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    testing::internal::CaptureStdout();
    const MaterialOverrides overrides = parseMaterialOverrides(text, "sidecar");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    std::size_t named = 0;
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
        const aiMaterial* material = scene->mMaterials[i];
        aiString name;
        material->Get(AI_MATKEY_NAME, name);
        const auto it = overrides.find(name.C_Str());
        if (it == overrides.end()) {
            continue;
        }
        SCOPED_TRACE(name.C_Str());
        ++named;
        const MaterialOverride& o = it->second;
        aiColor3D ambient, specular;
        float shininess = 0.0f;
        material->Get(AI_MATKEY_COLOR_AMBIENT, ambient);
        material->Get(AI_MATKEY_COLOR_SPECULAR, specular);
        material->Get(AI_MATKEY_SHININESS, shininess);
        EXPECT_EQ(o.ambient, glm::vec3(ambient.r, ambient.g, ambient.b));
        EXPECT_EQ(o.specular, glm::vec3(specular.r, specular.g, specular.b));
        EXPECT_EQ(o.shininess, shininess);
        aiString normal;
        material->GetTexture(aiTextureType_NORMALS, 0, &normal);
        EXPECT_EQ(o.normal, std::string(normal.C_Str()));
    }
    EXPECT_EQ(named, overrides.size());
    EXPECT_EQ(named, 4u);
}

TEST_P(ShippedLevel, TheSunGlowsAndALampSitsInIt) {
    auto suns = children("sun");
    ASSERT_EQ(suns.size(), 1u);
    const aiMaterial* material =
        scene->mMaterials[scene->mMeshes[suns[0]->mMeshes[0]]->mMaterialIndex];
    aiColor3D ambient(0, 0, 0);
    material->Get(AI_MATKEY_COLOR_AMBIENT, ambient);
    EXPECT_GT(std::max({ambient.r, ambient.g, ambient.b}), 1.0f);
    ObstacleSphere sun = sphereOf(suns[0]);
    bool lampInSun = false;
    for (const aiNode* lamp : children("Lamp", false)) {
        lampInSun = lampInSun || glm::length(poseOf(lamp).position - sun.centre) < sun.radius;
    }
    EXPECT_TRUE(lampInSun);
}

TEST_P(ShippedLevel, EveryLampNodeHasAPointLightOfExactlyItsName) {
    auto lamps = children("Lamp", false);
    EXPECT_GE(lamps.size(), 2u);
    EXPECT_LE(lamps.size(), 4u);
    for (const aiNode* lamp : lamps) {
        const aiLight* light = nullptr;
        for (unsigned i = 0; i < scene->mNumLights && !light; ++i) {
            if (scene->mLights[i]->mName == lamp->mName) {
                light = scene->mLights[i];
            }
        }
        ASSERT_NE(light, nullptr) << lamp->mName.C_Str();
        EXPECT_EQ(light->mType, aiLightSource_POINT);
        EXPECT_GT(light->mColorDiffuse.r + light->mColorDiffuse.g + light->mColorDiffuse.b, 0.5f);
        EXPECT_GT(light->mAttenuationConstant, 0.0f);
    }
}

TEST_P(ShippedLevel, TheTrackCanBeFlownAndNoAsteroidBlocksIt) {
    const TrackDesign* design = designOf(GetParam().file);
    ASSERT_NE(design, nullptr) << "the generator makes no " << GetParam().file;
    const FlightLimits& limits = design->limits;
    TrackReport report = reportOf(limits);
    EXPECT_TRUE(report.flyable) << report.problem;
    EXPECT_GE(report.corridorClearance, limits.corridorRadius);
    // Some asteroids sit close beside the line, so that steering well matters.
    EXPECT_LT(report.corridorClearance, limits.corridorRadius + 10.0f);

    // The trash cans are reachable: near the line, and clear of every asteroid.
    const TrackStart start = startOf();
    const TrackLine line = planTrackLine(start.position, start.forward, rings(), limits.runOut);
    const std::vector<ObstacleSphere> asteroids = asteroidSpheres();
    for (const aiNode* can : children("tcan")) {
        glm::vec3 p = poseOf(can).position;
        EXPECT_LT(distanceToLine(line, p), limits.holeRadius) << can->mName.C_Str();
        for (const auto& a : asteroids) {
            EXPECT_GT(glm::length(p - a.centre), a.radius + 2.0f) << can->mName.C_Str();
        }
    }
}

// The level checker is the game's own judge: it flies the track as a player would and
// grades it, and the list must say what it finds.
TEST_P(ShippedLevel, TheCheckerFinishesItAtTheDifficultyTheListGives) {
    TempDir home;
    const std::string output = runCommand(
        "cd '" + std::string(KELVARO_SOURCE_DIR) + "' && HOME='" + home.path().string() +
        "' XDG_CONFIG_HOME='" + home.path().string() + "/config' XDG_DATA_HOME='" +
        home.path().string() + "/data' '" + KELVARO_GAME_BINARY + "' --check " +
        (fs::path("res/assets/models/worlds") / GetParam().file).string() + " 2>&1; echo exit=$?");
    EXPECT_NE(output.find("\nexit=0"), std::string::npos) << output;
    EXPECT_EQ(output.find("ERROR"), std::string::npos) << output;
    // "Difficulty: N of 5 (...)", for scripts to read.
    const std::string said = "\nDifficulty: " + std::to_string(GetParam().difficulty) + " of 5 (";
    EXPECT_NE(output.find(said), std::string::npos) << output;
    // Most of the eight player-like flights finish every shipped track.
    EXPECT_NE(output.find("\nOK: "), std::string::npos) << output;
    if (GetParam().difficulty == 5) {
        // The hardest track asks for at least 80% of the ship's best turn rate, passes
        // within 6 m of a rock in a turn, and players come round at its hairpins.
        int turn = 0;
        float clearance = 0.0f;
        const std::size_t at = output.find("sharpest turn ");
        ASSERT_NE(at, std::string::npos) << output;
        ASSERT_EQ(std::sscanf(output.c_str() + at,
                              "sharpest turn %d%% of the ship's best turn rate; least "
                              "clearance in a turn %f m",
                              &turn, &clearance),
                  2)
            << output;
        EXPECT_GE(turn, 80) << output;
        EXPECT_LT(clearance, 6.0f) << output;
        EXPECT_NE(output.find("\nLoop at ring_"), std::string::npos) << output;
    }
}

// What the player meets track after track: the list is the generator's tracks in order,
// each with rocks nearer the line than the one before, the last within 4 m of it, and each
// in a sky, light and rock of its own.
TEST(ShippedTracks, RiseInDifficultyEachWithItsOwnLook) {
    const std::vector<TrackEntry> tracks = listedTracks();
    const auto& designs = trackDesigns();
    ASSERT_EQ(tracks.size(), designs.size());
    EXPECT_EQ(tracks.front().difficulty, 1);
    EXPECT_EQ(tracks.back().difficulty, 5);
    std::set<std::string> skies, rocks, looks;
    float clearance = 1e9f;
    for (size_t i = 0; i < tracks.size(); ++i) {
        SCOPED_TRACE(tracks[i].file);
        EXPECT_EQ(tracks[i].file, designs[i].file);
        EXPECT_EQ(tracks[i].name, designs[i].name);
        // As the level checker grades them: never easier than the track before.
        EXPECT_GE(tracks[i].difficulty, i == 0 ? 1 : tracks[i - 1].difficulty);
        const fs::path level = WORLDS / tracks[i].file;
        {
            ScopedWorkingDir source(KELVARO_SOURCE_DIR);
            skies.insert(levelSkyName(fs::relative(level, KELVARO_SOURCE_DIR).string()));
        }
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(level.string(), WORLD_FLAGS);
        ASSERT_NE(scene, nullptr);
        for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
            aiString name, diffuse;
            scene->mMaterials[m]->Get(AI_MATKEY_NAME, name);
            scene->mMaterials[m]->GetTexture(aiTextureType_DIFFUSE, 0, &diffuse);
            if (std::string(name.C_Str()) == "rock") {
                rocks.insert(diffuse.C_Str());
            }
        }
        std::string light;
        for (unsigned l = 0; l < scene->mNumLights; ++l) {
            const aiColor3D& c = scene->mLights[l]->mColorDiffuse;
            light +=
                std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b) + ";";
        }
        looks.insert(light);

        const TrackReport report = LevelScene{scene}.reportOf(designs[i].limits);
        EXPECT_TRUE(report.flyable) << report.problem;
        EXPECT_LT(report.corridorClearance, clearance);
        clearance = report.corridorClearance;
    }
    EXPECT_LT(clearance, 4.0f);
    EXPECT_EQ(skies.size(), tracks.size());
    EXPECT_EQ(rocks.size(), tracks.size());
    EXPECT_EQ(looks.size(), tracks.size());
}

TEST(ShippedShip, HasDrawnPartsTwoOrThreeHullsNormalsAndItsTextures) {
    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFile((RES / "assets" / "models" / "spaceshipNew.obj").string(), MODEL_FLAGS);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    ASSERT_FALSE(scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE);
    int graph = 0, coll = 0;
    glm::vec3 lo(1e9f), hi(-1e9f);
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        std::string name = mesh->mName.C_Str();
        EXPECT_TRUE(mesh->HasNormals()) << name;
        EXPECT_TRUE(mesh->HasTextureCoords(0)) << name;
        if (contains(name, "coll_")) {
            ++coll;
        } else if (contains(name, "graph_")) {
            ++graph;
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                glm::vec3 p(mesh->mVertices[v].x, mesh->mVertices[v].y, mesh->mVertices[v].z);
                lo = glm::min(lo, p);
                hi = glm::max(hi, p);
            }
        } else {
            ADD_FAILURE() << "mesh " << name << " is neither drawn nor a hull";
        }
        const aiMaterial* material = scene->mMaterials[mesh->mMaterialIndex];
        auto diffuse = textureNames(material, aiTextureType_DIFFUSE);
        auto normals = textureNames(material, aiTextureType_NORMALS);
        ASSERT_EQ(diffuse.size(), 1u) << name;
        ASSERT_EQ(normals.size(), 1u) << name;
        EXPECT_TRUE(fs::is_regular_file(TEXTURES / diffuse[0])) << diffuse[0];
        EXPECT_TRUE(fs::is_regular_file(TEXTURES / normals[0])) << normals[0];
    }
    EXPECT_GE(graph, 3);
    EXPECT_GE(coll, 2);
    EXPECT_LE(coll, 3);
    // Longest along Z (the flight direction), 2 to 4 units long, nose forward.
    glm::vec3 size = hi - lo;
    EXPECT_GE(size.z, 2.0f);
    EXPECT_LE(size.z, 4.0f);
    EXPECT_GT(size.z, size.y);
    EXPECT_GT(hi.z, -lo.z);
}

struct Face {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
    glm::vec3 at(int x, int y) const {
        size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return glm::vec3(pixels[i], pixels[i + 1], pixels[i + 2]);
    }
};

Face loadFace(const std::string& sky, const std::string& name) {
    Face face;
    int channels = 0;
    fs::path path = TEXTURES / "cubemaps" / sky / (name + ".png");
    unsigned char* data = stbi_load(path.string().c_str(), &face.width, &face.height, &channels, 3);
    if (data) {
        face.pixels.assign(data, data + static_cast<size_t>(face.width) * face.height * 3);
        stbi_image_free(data);
    }
    return face;
}

// The OpenGL cube-map convention: direction of face i (+X, -X, +Y, -Y, +Z, -Z) at s, t.
glm::vec3 glCubeDirection(int face, float s, float t) {
    float sc = 2 * s - 1, tc = 2 * t - 1;
    switch (face) {
    case 0:
        return {1, -tc, -sc};
    case 1:
        return {-1, -tc, sc};
    case 2:
        return {sc, 1, tc};
    case 3:
        return {sc, -1, -tc};
    case 4:
        return {sc, -tc, 1};
    default:
        return {-sc, -tc, -1};
    }
}

// Finds the face and pixel that a direction falls on.
void pixelOf(glm::vec3 d, int size, int& face, int& x, int& y) {
    glm::vec3 a = glm::abs(d);
    float ma, sc, tc;
    if (a.x >= a.y && a.x >= a.z) {
        face = d.x > 0 ? 0 : 1;
        ma = a.x;
        sc = d.x > 0 ? -d.z : d.z;
        tc = -d.y;
    } else if (a.y >= a.z) {
        face = d.y > 0 ? 2 : 3;
        ma = a.y;
        sc = d.x;
        tc = d.y > 0 ? d.z : -d.z;
    } else {
        face = d.z > 0 ? 4 : 5;
        ma = a.z;
        sc = d.z > 0 ? d.x : -d.x;
        tc = -d.y;
    }
    x = std::clamp(static_cast<int>((sc / ma + 1) * 0.5f * size), 0, size - 1);
    y = std::clamp(static_cast<int>((tc / ma + 1) * 0.5f * size), 0, size - 1);
}

// The shipped sky and every track's own.
std::vector<std::string> skyNames() {
    std::vector<std::string> names = {"BSpace"};
    for (const TrackEntry& track : listedTracks()) {
        if (fs::is_directory(TEXTURES / "cubemaps" / fs::path(track.file).stem())) {
            names.push_back(fs::path(track.file).stem().string());
        }
    }
    return names;
}

class ShippedSky : public testing::TestWithParam<std::string> {};

INSTANTIATE_TEST_SUITE_P(Skies, ShippedSky, testing::ValuesIn(skyNames()));

TEST_P(ShippedSky, SixSquareFacesOfOneSizeThatMeetWithoutSeams) {
    const char* names[] = {"right", "left", "top", "bottom", "front", "back"};
    std::vector<Face> faces;
    for (const char* name : names) {
        faces.push_back(loadFace(GetParam(), name));
        ASSERT_FALSE(faces.back().pixels.empty()) << name;
        EXPECT_EQ(faces.back().width, faces.back().height) << name;
        EXPECT_EQ(faces.back().width, faces[0].width) << name;
    }
    int n = faces[0].width;
    ASSERT_GE(n, 512);
    // Step just across every edge pixel along the GL convention and compare with the pixel
    // found there; the same walk with the neighbour mirrored serves as the baseline.
    for (int f = 0; f < 6; ++f) {
        double across = 0.0, mirrored = 0.0;
        int samples = 0;
        for (int i = 0; i < n; ++i) {
            int edges[4][2] = {{i, 0}, {i, n - 1}, {0, i}, {n - 1, i}};
            for (auto& e : edges) {
                float s = (e[0] + 0.5f) / n, t = (e[1] + 0.5f) / n;
                float ds = e[0] == 0 ? -1.0f : e[0] == n - 1 ? 1.0f : 0.0f;
                float dt = e[1] == 0 ? -1.0f : e[1] == n - 1 ? 1.0f : 0.0f;
                glm::vec3 d = glm::normalize(glCubeDirection(f, s + ds / n, t + dt / n));
                int g, x, y;
                pixelOf(d, n, g, x, y);
                if (g == f) {
                    continue;
                }
                glm::vec3 here = faces[f].at(e[0], e[1]);
                across += glm::length(here - faces[g].at(x, y));
                mirrored += glm::length(here - faces[g].at(n - 1 - x, n - 1 - y));
                ++samples;
            }
        }
        ASSERT_GT(samples, 0);
        EXPECT_LT(across / samples, 0.5 * mirrored / samples) << names[f];
    }
}

TEST(ShippedFont, IsATrueTypeFileWithItsLicenceBesideIt) {
    fs::path font = RES / "assets" / "fonts" / "spacejunkXL.ttf";
    std::ifstream in(font, std::ios::binary);
    ASSERT_TRUE(in) << font;
    unsigned char magic[4] = {};
    in.read(reinterpret_cast<char*>(magic), 4);
    EXPECT_EQ(magic[0], 0x00);
    EXPECT_EQ(magic[1], 0x01);
    EXPECT_EQ(magic[2], 0x00);
    EXPECT_EQ(magic[3], 0x00);
    std::ifstream licence(RES / "assets" / "fonts" / "spacejunkXL.LICENSE.txt");
    std::string text((std::istreambuf_iterator<char>(licence)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Apache License"), std::string::npos);
    EXPECT_NE(text.find("fonts-roboto-unhinted"), std::string::npos);
}

#ifdef KELVARO_LEVELGEN_BINARY
std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(ShippedContent, IsExactlyWhatTheGeneratorWrites) {
    TempDir out;
    std::string output = runCommand(std::string(KELVARO_LEVELGEN_BINARY) + " '" +
                                    out.path().string() + "' 2>&1; echo exit=$?");
    ASSERT_NE(output.find("exit=0"), std::string::npos) << output;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out.path())) {
        if (!entry.is_regular_file()) {
            continue;
        }
        fs::path relative = fs::relative(entry.path(), out.path());
        ++files;
        EXPECT_TRUE(fileBytes(entry.path()) == fileBytes(RES / relative))
            << relative << " differs from the generator's output: run levelgen";
    }
    // The first track and its material file, ship and its materials, ten textures, six
    // sky faces; then four tracks, each with its material file, rock colours and sky.
    EXPECT_EQ(files, 20 + 4 * (2 + 1 + 6));
}
#endif

} // namespace
