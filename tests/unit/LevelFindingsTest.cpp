// Levels read without a window, and what the loader finds wrong with them.
#include "LevelWriter.h"
#include "TempDir.h"

#include "assets/EmbeddedImages.h"
#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "assets/TextureImage.h"
#include "physics/CookedMesh.h"
#include "physics/PhysicsContext.h"
#include "world/DetailLevels.h"
#include "world/LevelFile.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <optional>
#include <string>

namespace {

using Severity = LevelFinding::Severity;

const glm::quat NO_TURN(1, 0, 0, 0);
const float NaN = std::numeric_limits<float>::quiet_NaN();

TestMesh rock() {
    return sphereMesh(1.0f, 10, 6);
}
TestMesh can() {
    return boxMesh({0.3f, 0.5f, 0.3f});
}
TestMesh opening() {
    return discMesh(2.0f, 0.2f);
}

// A ring of its own mesh (rings sharing a mesh share one number).
void addRing(LevelWriter& level, const std::string& name, float z, glm::vec3 scale = glm::vec3(1),
             const std::string& meshKey = "") {
    level.addMeshNode(name, meshKey.empty() ? "mesh-" + name : meshKey, torusMesh(2.0f, 0.3f),
                      {0, 0, z}, NO_TURN, scale, opening());
}

LevelWriter track() {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRing(level, "ring_0", -30);
    return level;
}

std::string describe(const std::vector<LevelFinding>& findings) {
    std::string text;
    for (const LevelFinding& f : findings) {
        text += (f.severity == Severity::Error ? "ERROR " : "WARNING ") + f.node + ": " +
                f.problem + "; " + f.remedy + "\n";
    }
    return text;
}

// Levels written into a temporary game folder with the test ship and read as
// the level checker reads them: no window, nothing handed to OpenGL.
class WindowlessLevels : public testing::Test {
protected:
    void SetUp() override { writeTestShip(folder.path() / "res/assets/models"); }

    LevelResult read(const std::string& text, const std::string& name = "level.dae") {
        const std::filesystem::path file = folder.write("levels/" + name, text);
        testing::internal::CaptureStdout();
        LevelResult result = loader.readFile(file.string(), {.upload = false});
        output = testing::internal::GetCapturedStdout();
        return result;
    }
    LevelResult read(const LevelWriter& level) { return read(level.str()); }

    // The one finding about `node`, or none.
    static std::optional<LevelFinding> findingFor(const LevelResult& result,
                                                  const std::string& node) {
        std::optional<LevelFinding> found;
        for (const LevelFinding& finding : result.findings) {
            if (finding.node == node) {
                EXPECT_FALSE(found) << "two findings for " << node << ":\n"
                                    << describe(result.findings);
                found = finding;
            }
        }
        return found;
    }

    TempDir folder;
    ScopedWorkingDir cwd{folder.path()};
    WorldLoader loader;
    std::string output;
};

TEST_F(WindowlessLevels, AWholeLevelIsBuiltWithoutOpenGL) {
    LevelWriter level = track();
    TestMaterial textured;
    textured.diffuseTexture = "rock_diffuse.png";
    textured.normalTexture = "rock_normal.png";
    level.addMeshNode("roid_a", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1), rock(),
                      textured);
    level.addMeshNode("tcan_a", "can", can(), {0, 5, 20}, NO_TURN, glm::vec3(1), can());
    level.addLamp("Lamp.000", {1, 2, 3}, {1, 0.9f, 0.8f});
    // Textures are only located, never read, without a window.
    folder.write("res/assets/textures/rock_diffuse.png", "not read");
    folder.write("res/assets/textures/rock_normal.png", "not read");
    const std::size_t bodies = PhysicsContext::instance().bodyCount();
    const std::size_t meshes = meshStore().size();
    LevelResult result = read(level);
    ASSERT_TRUE(result.world) << result.error;
    EXPECT_TRUE(result.findings.empty()) << describe(result.findings);
    const World& world = *result.world;
    ASSERT_EQ(world.objects.size(), 4u);
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), bodies + 4);
    for (const GameObject& object : world.objects) {
        EXPECT_EQ(object.actor->shapeCount(), object.kind == ObjectKind::Ship ? 2u : 1u)
            << object.name;
    }
    EXPECT_EQ(world.camera.target, &world.objects.front());
    EXPECT_EQ(world.pointLights.size(), 1u);
    EXPECT_EQ(world.currentRing, 3);
    // Level meshes, the asteroid's three finer levels and the ship's drawn
    // part: all on the CPU only.
    ASSERT_GT(meshStore().size(), meshes + 3);
    for (std::size_t i = meshes; i < meshStore().size(); ++i) {
        EXPECT_EQ(meshStore().at(i).vao, 0u);
        EXPECT_FALSE(meshStore().at(i).vertices.empty());
    }
    const Model& asteroid = ModelLoader::instance().get(std::next(world.objects.begin())->name);
    EXPECT_EQ(asteroid.meshLevels.size(), 4u);
    const Material& material = meshStore().at(asteroid.meshLevels[0][0]).material;
    EXPECT_EQ(material.diffuseTextures,
              std::vector<std::string>{"res/assets/textures/rock_diffuse.png"});
    EXPECT_EQ(material.normalTextures,
              std::vector<std::string>{"res/assets/textures/rock_normal.png"});
    EXPECT_TRUE(material.missingTextures.empty());
}

// Levels that cannot be played: no world, the error line, and the reason as
// the last finding.
struct Refusal {
    std::string what;
    std::function<std::string()> level;
    std::string node; // "" for the level file
    std::string problem;
};

TEST_F(WindowlessLevels, ALevelThatCannotBePlayedIsRefusedWithItsReasonLast) {
    const std::vector<Refusal> cases = {
        {"no camera",
         [] {
             LevelWriter level;
             addRing(level, "ring_0", -30);
             return level.str();
         },
         "", "it has no node named \"Camera\""},
        {"no ring",
         [] {
             LevelWriter level;
             level.addEmpty("Camera", {0, 0, 0});
             level.addMeshNode("roid_a", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1), rock());
             return level.str();
         },
         "", "it has no ring, so it can never be finished"},
        {"a gap",
         [] {
             LevelWriter level = track();
             addRing(level, "ring_2", -90);
             return level.str();
         },
         "", "there is no ring_1 (found ring_0, ring_2)"},
        {"a ring without a number",
         [] {
             LevelWriter level = track();
             addRing(level, "ring_x", -90);
             return level.str();
         },
         "ring_x", "its name has no ring number"},
        {"a ring with NaN in its matrix",
         [] {
             LevelWriter level = track();
             addRing(level, "ring_1", -60, {1, NaN, 1});
             return level.str();
         },
         "ring_1", "its transform is not finite"},
        {"a ring scaled by 1e30",
         [] {
             LevelWriter level = track();
             addRing(level, "ring_1", -60, glm::vec3(1e30f));
             return level.str();
         },
         "ring_1", "its scale (1e+30 1e+30 1e+30) is outside what the game plays"},
        {"a camera turned by NaN",
         [] {
             LevelWriter level;
             level.addEmpty("Camera", {0, 0, 0}, glm::quat(NaN, 0, 1, 0));
             addRing(level, "ring_0", -30);
             return level.str();
         },
         "Camera", "its transform is not finite"},
        {"text that is no level", [] { return std::string("just some notes\n"); }, "",
         "it cannot be read: Assimp: "},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t bodies = PhysicsContext::instance().bodyCount();
        LevelResult result = read(c.level());
        EXPECT_FALSE(result.world);
        EXPECT_EQ(PhysicsContext::instance().bodyCount(), bodies);
        EXPECT_EQ(output, "");
        ASSERT_FALSE(result.findings.empty());
        const LevelFinding& reason = result.findings.back();
        EXPECT_EQ(reason.severity, Severity::Error);
        const std::string file = (folder.path() / "levels/level.dae").string();
        EXPECT_EQ(reason.node, c.node.empty() ? file : c.node);
        EXPECT_NE(reason.problem.find(c.problem), std::string::npos) << reason.problem;
        EXPECT_FALSE(reason.remedy.empty());
        EXPECT_NE(result.error.find(file), std::string::npos) << result.error;
    }
}

// Levels that still play, with what is wrong in them.
struct Mistake {
    std::string what;
    std::function<void(LevelWriter&)> add;
    std::string node;
    Severity severity;
    std::string problem;
};

TEST_F(WindowlessLevels, MistakesInAPlayableLevelAreFoundAndNamed) {
    const TestMesh flat = boxMesh({1.0f, 0.0f, 1.0f});
    const std::vector<Mistake> cases = {
        {"no collision child",
         [](LevelWriter& l) {
             l.addMeshNode("roid_bare", "bare", rock(), {10, 0, 0});
         },
         "roid_bare", Severity::Error,
         "it has no collision child, so it is drawn but the ship flies through it"},
        {"a first child without a mesh",
         [](LevelWriter& l) {
             l.addMeshNode("tcan_hollow", "can", can(), {0, 5, 20});
             l.addChildXml("<node id=\"marker\" name=\"marker\" type=\"NODE\"/>");
         },
         "tcan_hollow", Severity::Error,
         "its first child marker has no mesh, so it has no collision shape: it is a trash can "
         "the ship can never touch"},
        {"a collision mesh that cannot be cooked",
         [&](LevelWriter& l) {
             l.addMeshNode("tcan_flat", "can", can(), {0, 5, 20}, NO_TURN, glm::vec3(1), flat);
         },
         "tcan_flat", Severity::Error,
         "its collision mesh tcan_flat-coll cannot be cooked, so it is drawn but never touched"},
        {"a ring sharing its mesh with an earlier ring",
         [](LevelWriter& l) { addRing(l, "ring_0.001", -40, glm::vec3(1), "mesh-ring_0"); },
         "ring_0.001", Severity::Error,
         "it counts as a second ring 0 after ring_0, as it shares its meshes with ring_0, and "
         "is left out"},
        {"a ring sharing its mesh with an asteroid",
         [](LevelWriter& l) {
             l.addMeshNode("roid_a", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1), rock());
             l.addMeshNode("ring_1", "rock", rock(), {0, 0, -60}, NO_TURN, glm::vec3(1), rock());
         },
         "ring_1", Severity::Error,
         "it shares its meshes with roid_a, and so becomes what that node is (an asteroid) "
         "instead of a ring"},
        {"two nodes of one name",
         [](LevelWriter& l) {
             l.addMeshNode("roid_twin", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1), rock());
             l.addMeshNode("roid_twin", "big", sphereMesh(2.0f), {-10, 0, 0}, NO_TURN, glm::vec3(1),
                           sphereMesh(2.0f));
         },
         "roid_twin", Severity::Warning, "another node of the scene root has the same name"},
        {"two keywords",
         [](LevelWriter& l) {
             l.addMeshNode("roid_ring", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1), rock());
         },
         "roid_ring", Severity::Warning,
         "its name contains \"roid\" and \"ring\", so it becomes an asteroid"},
        {"a keyword without a mesh",
         [](LevelWriter& l) {
             l.addEmpty("tcan_empty", {0, 0, 5});
         },
         "tcan_empty", Severity::Warning,
         "its name contains \"tcan\", but it has no mesh, so it is ignored"},
        {"a keyword node below the root's children",
         [](LevelWriter& l) {
             l.addMeshNode("plain", "can", can(), {0, 0, 0}, NO_TURN, glm::vec3(1), can());
             l.addChildXml("<node id=\"roid_deep\" name=\"roid_deep\" type=\"NODE\">"
                           "<instance_geometry url=\"#can-mat0\"/></node>");
         },
         "roid_deep", Severity::Warning,
         "it lies below plain, and only the scene root's direct children become objects"},
        {"a mesh node whose name is too long to be read",
         [](LevelWriter& l) {
             l.addMeshNode("roid_" + std::string(1024, 'x'), "rock", rock(), {10, 0, 0}, NO_TURN,
                           glm::vec3(1), rock());
         },
         "node 3 of the scene root", Severity::Error,
         "it has meshes but no name (the importer empties names of 1024 characters or more)"},
        {"an asteroid with NaN in its matrix",
         [](LevelWriter& l) {
             l.addMeshNode("roid_nan", "rock", rock(), {NaN, 0, 0}, NO_TURN, glm::vec3(1), rock());
         },
         "roid_nan", Severity::Error,
         "its transform is not finite (it holds NaN or an infinite value), so it is left out"},
        {"a lamp without a light of its name",
         [](LevelWriter& l) {
             l.addEmpty("Lamp.009", {7, 7, 7});
         },
         "Lamp.009", Severity::Warning, "no light of the scene has its name"},
    };
    for (const Mistake& c : cases) {
        SCOPED_TRACE(c.what);
        LevelWriter level = track();
        c.add(level);
        LevelResult result = read(level);
        ASSERT_TRUE(result.world) << result.error;
        const std::optional<LevelFinding> finding = findingFor(result, c.node);
        ASSERT_TRUE(finding) << describe(result.findings);
        EXPECT_EQ(finding->severity, c.severity);
        EXPECT_NE(finding->problem.find(c.problem), std::string::npos) << finding->problem;
        EXPECT_FALSE(finding->remedy.empty());
    }
}

// The content says the format, whatever the name says; a level the game
// cannot play says so by its failure, not only in words.
TEST_F(WindowlessLevels, TheContentDecidesTheFormatAndAFailureSaysItsKind) {
    for (const char* name : {"level.glb", "level.gltf", "level.txt"}) {
        SCOPED_TRACE(name);
        LevelResult result = read(track().str(), name);
        EXPECT_TRUE(result.world) << result.error;
        EXPECT_EQ(result.failure, LevelFailure::None);
    }
    LevelWriter noRing;
    noRing.addEmpty("Camera", {0, 0, 0});
    noRing.addMeshNode("roid_a", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1), rock());
    EXPECT_EQ(read(noRing).failure, LevelFailure::Unplayable);
    EXPECT_EQ(read("<COLLADA><p>1 x 2</p></COLLADA>").failure, LevelFailure::Malformed);
    EXPECT_EQ(read("plain words").failure, LevelFailure::Unreadable);
}

TEST_F(WindowlessLevels, AGapLeftByANameTooLongToBeReadSaysSo) {
    LevelWriter level = track();
    addRing(level, "ring_1" + std::string(1024, 'x'), -60);
    addRing(level, "ring_2", -90);
    LevelResult result = read(level);
    ASSERT_FALSE(result.world);
    EXPECT_NE(result.error.find("there is no ring_1 (found ring_0, ring_2; a mesh node without a "
                                "name was left out (the importer empties names of 1024 "
                                "characters or more))"),
              std::string::npos)
        << result.error;
}

TEST_F(WindowlessLevels, AnObjectLeftOutIsNotBuilt) {
    LevelWriter level = track();
    level.addMeshNode("roid_far", "rock", rock(), {0, 0, 2e6f}, NO_TURN, glm::vec3(1), rock());
    level.addMeshNode("tcan_nan", "can", can(), {0, 0, 5}, NO_TURN, {NaN, 1, 1}, can());
    LevelResult result = read(level);
    ASSERT_TRUE(result.world) << result.error;
    EXPECT_EQ(result.world->objects.size(), 2u); // the ship and the ring
    EXPECT_EQ(result.world->remainingTrash, 0);
    ASSERT_EQ(result.findings.size(), 2u) << describe(result.findings);
    EXPECT_NE(result.findings[0].problem.find("it lies 2e+06 m from the origin"), std::string::npos)
        << result.findings[0].problem;
}

TEST_F(WindowlessLevels, ACollisionChildsOwnTransformShapesTheCollisionVolume) {
    LevelWriter level = track();
    addRing(level, "ring_1", -60);
    addRing(level, "ring_2", -90);
    std::string text = level.str();
    // ring_1's child twice as large, ring_2's moved 3 up: as "Apply scale"
    // or a moved child in Blender leaves them.
    auto give = [&](const std::string& child, const std::string& transform) {
        const std::string tag = "name=\"" + child + "\" type=\"NODE\">";
        text.replace(text.find(tag), tag.size(), tag + transform);
    };
    give("ring_1-coll", "<scale>2 2 2</scale>");
    give("ring_2-coll", "<translate>0 3 0</translate>");
    LevelResult result = read(text);
    ASSERT_TRUE(result.world) << result.error;
    auto hullOf = [&](int number) {
        const GameObject& ring = *std::next(result.world->objects.begin(), 1 + number);
        return dynamic_cast<const ConvexMesh*>(ring.actor->shapeMesh(0));
    };
    auto extent = [](const ConvexMesh* hull, int axis, bool highest) {
        float value = highest ? -1e9f : 1e9f;
        for (const glm::vec3& p : hull->vertices()) {
            value = highest ? std::max(value, p[axis]) : std::min(value, p[axis]);
        }
        return value;
    };
    ASSERT_TRUE(hullOf(0) && hullOf(1) && hullOf(2));
    EXPECT_NEAR(extent(hullOf(0), 0, true), 2.0f, 1e-4f); // identity: as today
    EXPECT_NEAR(extent(hullOf(1), 0, true), 4.0f, 1e-4f);
    EXPECT_NEAR(extent(hullOf(1), 2, true), 0.4f, 1e-4f);
    EXPECT_NEAR(extent(hullOf(2), 1, true), 5.0f, 1e-4f);
    EXPECT_NEAR(extent(hullOf(2), 1, false), 1.0f, 1e-4f);
    EXPECT_FALSE(findingFor(result, "ring_0"));
    // The finding says how far, in the README's words.
    const std::pair<const char*, const char*> said[] = {{"ring_1", "scaled by 2.00"},
                                                        {"ring_2", "moved 3.00 m"}};
    for (const auto& [ring, how] : said) {
        const std::optional<LevelFinding> finding = findingFor(result, ring);
        ASSERT_TRUE(finding) << describe(result.findings);
        EXPECT_EQ(finding->severity, Severity::Warning);
        EXPECT_EQ(finding->problem, std::string("its collision child ") + ring + "-coll is " + how +
                                        " relative to it; the game applies that to the "
                                        "collision shape");
    }
}

// Lamps: what each bad value becomes, and the finding that says so.
struct LampCase {
    glm::vec3 colour;
    glm::vec3 attenuation;
    glm::vec3 usedColour;
    glm::vec3 usedAttenuation;
    Severity severity;
    std::string problem;
};

TEST_F(WindowlessLevels, LampsOutOfRangeAreMendedAndNamed) {
    const std::vector<LampCase> cases = {
        {{1000, 950, 850},
         {1, 0, 0},
         {1, 0.95f, 0.85f},
         {1, 0, 0},
         Severity::Warning,
         "its colour (1000 950 850) is far above 1, which turns everything white (Blender "
         "writes a lamp's power in watts as its colour); the game scales it down to 1 0.95 "
         "0.85"},
        {{-1, 0.5f, 0.5f},
         {1, 0, 0},
         {0, 0.5f, 0.5f},
         {1, 0, 0},
         Severity::Error,
         "its colour (-1 0.5 0.5) has a negative or undefined channel"},
        {{NaN, 0.5f, 0.5f},
         {1, 0, 0},
         {0, 0.5f, 0.5f},
         {1, 0, 0},
         Severity::Error,
         "has a negative or undefined channel, which paints black patches; the game uses 0 0.5 "
         "0.5"},
        {{1, 1, 1},
         {0, 0, 0},
         {1, 1, 1},
         {1, 0, 0},
         Severity::Error,
         "its attenuation (constant, linear, quadratic: 0 0 0) would light objects without "
         "bound; the game uses 1 0 0"},
        {{1, 1, 1},
         {-1, 0.1f, 0},
         {1, 1, 1},
         {1, 0, 0},
         Severity::Error,
         "its attenuation (constant, linear, quadratic: -1 0.1 0)"},
    };
    for (const LampCase& c : cases) {
        SCOPED_TRACE(c.problem);
        LevelWriter level = track();
        level.addLamp("Lamp.000", {1, 2, 3}, c.colour, c.attenuation);
        LevelResult result = read(level);
        ASSERT_TRUE(result.world) << result.error;
        ASSERT_EQ(result.world->pointLights.size(), 1u);
        const PointLight& light = result.world->pointLights[0];
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(light.color[i], c.usedColour[i], 1e-5f);
            EXPECT_NEAR(light.attenuation[i], c.usedAttenuation[i], 1e-5f);
        }
        ASSERT_EQ(result.findings.size(), 1u) << describe(result.findings);
        EXPECT_EQ(result.findings[0].node, "Lamp.000");
        EXPECT_EQ(result.findings[0].severity, c.severity);
        EXPECT_NE(result.findings[0].problem.find(c.problem), std::string::npos)
            << result.findings[0].problem;
    }
}

TEST_F(WindowlessLevels, LampsBeyondSixteenAreLeftOutByName) {
    LevelWriter level = track();
    for (int i = 0; i < 18; ++i) {
        level.addLamp("Lamp." + std::to_string(100 + i), {float(i), 0, 0}, {0.5f, 0.5f, 0.5f});
    }
    LevelResult result = read(level);
    ASSERT_TRUE(result.world) << result.error;
    ASSERT_EQ(result.world->pointLights.size(), 16u);
    EXPECT_EQ(result.world->pointLights.back().position, glm::vec3(15, 0, 0));
    ASSERT_EQ(result.findings.size(), 2u) << describe(result.findings);
    EXPECT_EQ(result.findings[0].node, "Lamp.116");
    EXPECT_EQ(result.findings[1].node, "Lamp.117");
    EXPECT_EQ(result.findings[0].severity, Severity::Warning);
    EXPECT_EQ(result.findings[0].problem,
              "the level has more than 16 lamps, and the game lights with the first 16 only, "
              "so this one is left out");
}

TEST_F(WindowlessLevels, EveryMeshOfAnAsteroidGetsEveryFinerLevel) {
    LevelWriter level = track();
    level.addMeshNode("roid_pair", "pebble", sphereMesh(0.5f, 6, 4), {10, 0, 0}, NO_TURN,
                      glm::vec3(1), rock());
    // A second mesh on the same node, an 8 m rock after the pebble.
    level.addMeshNode("ring_9", "big", sphereMesh(8.0f), {0, 0, 0}); // writes the geometry
    std::string text = level.str();
    const std::string ninth = text.substr(text.find("<node id=\"ring_9\""));
    text.erase(text.find("<node id=\"ring_9\""), ninth.find("</node>") + 8);
    const std::string anchor = "<node id=\"roid_pair-coll\"";
    text.insert(text.find(anchor), "<instance_geometry url=\"#big-mat0\"/>");
    LevelResult result = read(text);
    ASSERT_TRUE(result.world) << result.error;
    const GameObject& pair = *std::next(result.world->objects.begin());
    const Model& model = ModelLoader::instance().get(pair.name);
    ASSERT_EQ(model.meshLevels.size(), 4u);
    ASSERT_EQ(model.meshLevels[0].size(), 2u);
    const int32_t pebble = meshStore().at(model.meshLevels[0][0]).triangleCount;
    const int32_t big = meshStore().at(model.meshLevels[0][1]).triangleCount;
    EXPECT_EQ(pebble, 48);
    EXPECT_EQ(big, 192);
    for (std::size_t k = 1; k < 4; ++k) {
        ASSERT_EQ(model.meshLevels[k].size(), 2u);
        EXPECT_EQ(meshStore().at(model.meshLevels[k][0]).triangleCount, pebble << (2 * k));
        EXPECT_EQ(meshStore().at(model.meshLevels[k][1]).triangleCount, big << (2 * k));
    }
}

TEST_F(WindowlessLevels, AMeshOverTheTriangleBudgetKeepsTheFinerLevelsThatFit) {
    LevelWriter level = track();
    // 64 × 40 × 2 = 5,120 triangles: 20,480 and 81,920 fit, 327,680 does not.
    level.addMeshNode("roid_fine", "fine", sphereMesh(3.0f, 64, 40), {10, 0, 0}, NO_TURN,
                      glm::vec3(1), rock());
    LevelResult result = read(level);
    ASSERT_TRUE(result.world) << result.error;
    const Model& model =
        ModelLoader::instance().get(std::next(result.world->objects.begin())->name);
    ASSERT_EQ(model.meshLevels.size(), 4u);
    EXPECT_EQ(meshStore().at(model.meshLevels[1][0]).triangleCount, 20480);
    EXPECT_EQ(meshStore().at(model.meshLevels[2][0]).triangleCount, 81920);
    // The finest level draws the finest refinement that fits.
    EXPECT_EQ(model.meshLevels[3], model.meshLevels[2]);
    ASSERT_EQ(result.findings.size(), 1u) << describe(result.findings);
    EXPECT_EQ(result.findings[0].severity, Severity::Warning);
    EXPECT_EQ(result.findings[0].problem,
              "its mesh 1 has 5120 triangles, so it keeps 2 of 3 finer levels of detail (each "
              "has 4 times the triangles, at most 262144)");
}

// Asteroids whose meshes are alike share their finer levels; beyond the
// level's budget of finer triangles, the level is refused.
TEST_F(WindowlessLevels, FinerLevelsAreMadeOncePerMeshAndWithinTheLevelsBudget) {
    LevelWriter alike = track();
    alike.addMeshNode("roid_one", "one", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1), rock());
    alike.addMeshNode("roid_two", "two", rock(), {20, 0, 0}, NO_TURN, glm::vec3(1), rock());
    LevelResult shared = read(alike);
    ASSERT_TRUE(shared.world) << shared.error;
    const auto roid = [&](int k) {
        return ModelLoader::instance().get(std::next(shared.world->objects.begin(), k)->name);
    };
    EXPECT_NE(roid(1).meshLevels[0], roid(2).meshLevels[0]);
    for (std::size_t level = 1; level < 4; ++level) {
        EXPECT_EQ(roid(1).meshLevels[level], roid(2).meshLevels[level]);
    }

    // 18 spheres of 4,096 triangles ask for 18 × 344,064 finer ones.
    LevelWriter many = track();
    for (int k = 0; k < 18; ++k) {
        const std::string name = "roid_" + std::to_string(k);
        many.addMeshNode(name, name, sphereMesh(1.0f + 0.01f * float(k), 64, 32), {10, 0, 0},
                         NO_TURN, glm::vec3(1), rock());
    }
    LevelResult refused = read(many);
    EXPECT_FALSE(refused.world);
    EXPECT_EQ(refused.failure, LevelFailure::Unplayable);
    ASSERT_FALSE(refused.findings.empty());
    EXPECT_EQ(refused.findings.back().node, "roid_17");
    EXPECT_EQ(refused.findings.back().problem,
              "its finer levels of detail would take those of the level beyond 6000000 "
              "triangles (each asteroid mesh gets three, with 4, 16 and 64 times its triangles)");
}

std::string nestedNodes(int depth) {
    std::string nested;
    for (int i = 0; i < depth; ++i) {
        nested += "<node name=\"n\">";
    }
    for (int i = 0; i < depth; ++i) {
        nested += "</node>";
    }
    return nested;
}

TEST_F(WindowlessLevels, NestingTooDeepIsRefusedBeforeTheImport) {
    // Just beyond the ceiling, and 8,000 levels (400 KB), which would
    // exhaust the importer's stack.
    for (int depth : {MAX_LEVEL_NESTING + 1, 8000}) {
        std::string text = track().str();
        text.insert(text.find("</visual_scene>"), nestedNodes(depth));
        LevelResult result = read(text);
        ASSERT_FALSE(result.world);
        ASSERT_EQ(result.findings.size(), 1u);
        EXPECT_EQ(result.findings[0].problem,
                  "nests its elements more than 1000 levels deep (nodes inside nodes); the game "
                  "reads levels up to that depth");
        EXPECT_NE(result.error.find("level.dae nests its elements more than 1000 levels deep"),
                  std::string::npos)
            << result.error;
    }
    // Just within it, the level is read.
    std::string within = track().str();
    within.insert(within.find("</visual_scene>"), nestedNodes(MAX_LEVEL_NESTING - 10));
    EXPECT_TRUE(read(within).world);
    const std::string nested = nestedNodes(MAX_LEVEL_NESTING + 1);

    // Markup that only looks like elements does not count.
    std::string hidden = "<!-- " + nested.substr(0, nested.size() / 2) + " -->";
    hidden += "<![CDATA[" + nested.substr(0, nested.size() / 2) + "]]>";
    std::string commented = track().str();
    commented.insert(commented.find("</visual_scene>"), hidden);
    EXPECT_EQ(levelFileProblem(folder.write("levels/hidden.dae", commented).string()), "");
}

// Damage on which the importer would loop for ever or read past its data,
// each found before the import.
TEST_F(WindowlessLevels, DamageTheImporterCannotSurviveIsRefusedBeforeTheImport) {
    const std::string text = track().str();
    struct Damage {
        std::string from, to, problem;
    };
    const std::vector<Damage> cases = {
        {"<p>0 1 2", "<p>0 1a 2",
         "holds 'a' in a list of whole numbers (<p>), which the importer cannot read past"},
        {"<p>0 1 2", "<p>0 /1 2",
         "holds '/' in a list of whole numbers (<p>), which the importer cannot read past"},
        // A blank the importer does not skip: it once asked for 4.8 GB on it.
        {"<p>0 1 2", "<p>0 1\f2",
         "holds a byte that is no character in a list of whole numbers (<p>), which the "
         "importer cannot read past"},
        // Markup would hide the list's text from the watch.
        {"<p>0 1 2", "<p><!-- -->0 1 2",
         "holds '<' in a list of whole numbers (<p>), which the importer cannot read past"},
        {"<p>0 1 2", "<p><![CDATA[0 1 2]]>",
         "holds '<' in a list of whole numbers (<p>), which the importer cannot read past"},
        {"count=\"", "cuont=\"",
         "has a <float_array> without a readable count, which the importer would read past"},
        {"\">0 0 ", "\">0 ",
         "has a <float_array> whose count (306) differs from the 305 values it holds, which the "
         "importer would read past"},
    };
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.to);
        std::string damaged = text;
        const std::size_t at = damaged.find(c.from);
        ASSERT_NE(at, std::string::npos);
        damaged.replace(at, c.from.size(), c.to);
        LevelResult result = read(damaged);
        EXPECT_FALSE(result.world);
        ASSERT_EQ(result.findings.size(), 1u);
        EXPECT_EQ(result.findings[0].problem, c.problem);
    }
    // An attribute that only contains the word is no count.
    std::string named = text;
    named.replace(named.find("id=\"mesh-ring_0"), 4, "id=\"count ");
    EXPECT_EQ(levelFileProblem(folder.write("levels/named.dae", named).string()), "");
}

// What the importer's glTF reader cannot survive is refused before it reads
// the file, with the reason: a small level Blender exported, damaged.
TEST_F(WindowlessLevels, ABrokenGltfLevelIsRefusedWithTheReason) {
    std::ifstream seed(std::string(KELVARO_SOURCE_DIR) + "/fuzz/corpus/gltf/seed-embedded.gltf");
    const std::string text((std::istreambuf_iterator<char>(seed)), {});
    ASSERT_FALSE(text.empty());
    struct Damage {
        std::string from, to, problem;
    };
    const std::vector<Damage> cases = {
        {"\"version\" : \"2.0\"", "\"version\" : \"1.0\"",
         "is glTF version 1.0; the game reads glTF 2.0"},
        {"\"asset\" : {",
         "\"deep\" : " + std::string(100, '[') + std::string(100, ']') + ", \"asset\" : {",
         "nests its JSON more than 64 levels deep"},
        {"\"asset\" : {", "\"asset\" : {,", "is not JSON at byte 17: a member's name is missing"},
        {"\"byteLength\" : 432", "\"byteLength\" : 43200000",
         "has buffer view 0 reaching past the end of buffer 0"},
        {"\"count\" : 36,\n            \"max\"", "\"count\" : 37,\n            \"max\"",
         "has accessor 0 reaching past the end of buffer view 0"},
        {"\"bufferView\" : 0,\n            \"componentType\"",
         "\"componentType\" : 5126, \"count\" : 100000000, \"type\" : \"MAT4\" }, {\n"
         "            \"componentType\"",
         "has accessor 0 of 100000000 elements without data"},
        {"\"indices\" : 3\n", "\"indices\" : 99\n",
         "has a primitive of mesh 0 whose \"indices\" names no entry (there are"},
        {"\"children\" : [\n                1\n", "\"children\" : [\n                2\n",
         "has node 2 as the child of two nodes, or of itself"},
        {"\"light\" : 1", "\"light\" : 5", "has node"},
        {"\"source\" : 0", "\"source\" : 9", "has texture 0 whose \"source\" names no entry"},
        {"\"index\" : 0", "\"index\" : 7", "has material 0 whose \"index\" names no entry"},
        {"\"uri\" : \"data:", "\"uri\" : \"/etc/passwd\", \"x\" : \"",
         "has buffer 0 in the file \"/etc/passwd\", outside the level's folder"},
        // The importer reads the first, the checks would see the second.
        {"\"children\" : [", "\"children\" : [], \"children\" : [",
         "names the member \"children\" twice in one object"},
        // What the importer refuses once it has read the file.
        {"\"scene\" : 0,\n    \"scenes\"", "\"noScenes\"",
         "is refused by the importer: Assimp: GLTF: No scene"},
    };
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.to.substr(0, 60));
        std::string damaged = text;
        const std::size_t at = damaged.find(c.from);
        ASSERT_NE(at, std::string::npos);
        damaged.replace(at, c.from.size(), c.to);
        // The name says nothing: the content is glTF.
        LevelResult result = read(damaged, "level.dae");
        EXPECT_FALSE(result.world);
        EXPECT_EQ(result.failure, LevelFailure::Malformed);
        ASSERT_EQ(result.findings.size(), 1u);
        EXPECT_EQ(result.findings[0].problem.rfind(c.problem, 0), 0u) << result.findings[0].problem;
        EXPECT_EQ(result.findings[0].remedy, "export it again from Blender as glTF 2.0 (.glb)");
    }
    // The binary form: its header is checked against the file.
    std::ifstream glbFile(std::string(KELVARO_SOURCE_DIR) + "/fuzz/corpus/gltf/seed.glb",
                          std::ios::binary);
    const std::string glb((std::istreambuf_iterator<char>(glbFile)), {});
    ASSERT_GT(glb.size(), 20u);
    EXPECT_EQ(
        levelFileProblem(folder.write("levels/cut.glb", glb.substr(0, glb.size() - 4)).string()),
        "says it is " + std::to_string(glb.size()) + " bytes long, but holds " +
            std::to_string(glb.size() - 4));
    std::string version = glb;
    version[4] = 1;
    EXPECT_EQ(levelFileProblem(folder.write("levels/v1.glb", version).string()),
              "is a glTF binary file of version 1; the game reads version 2");
    EXPECT_EQ(levelFileProblem(folder.write("levels/whole.glb", glb).string()), "");
}

// A small level Blender exported as glTF: its lamp in candela is the power
// in watts, with the fall-off of a COLLADA lamp; its spot light is named and
// left out; its embedded image and emissive strength reach the material.
TEST_F(WindowlessLevels, AGltfLevelsLampsImagesAndGlowBecomeTheGamesOwn) {
    for (const char* seed : {"seed.glb", "seed-embedded.gltf"}) {
        SCOPED_TRACE(seed);
        std::ifstream file(std::string(KELVARO_SOURCE_DIR) + "/fuzz/corpus/gltf/" + seed,
                           std::ios::binary);
        LevelResult result = read(std::string((std::istreambuf_iterator<char>(file)), {}), seed);
        ASSERT_TRUE(result.world) << result.error << describe(result.findings);
        ASSERT_EQ(result.world->pointLights.size(), 1u);
        const PointLight& lamp = result.world->pointLights[0];
        EXPECT_EQ(lamp.color, glm::vec3(10.0f)); // Blender's 10 W
        EXPECT_EQ(lamp.attenuation, glm::vec3(1.0f, 0.0f, 1.0f / 625.0f));
        const std::optional<LevelFinding> spot = findingFor(result, "Lamp.spot");
        ASSERT_TRUE(spot) << describe(result.findings);
        EXPECT_EQ(spot->severity, Severity::Warning);
        EXPECT_EQ(spot->problem, "it is a spot light, and the game lights with point lamps "
                                 "only, so it gives no light");
        EXPECT_EQ(result.findings.size(), 1u) << describe(result.findings);
        const GameObject& can = *std::find_if(
            result.world->objects.begin(), result.world->objects.end(),
            [](const GameObject& object) { return object.kind == ObjectKind::Trash; });
        const Material& material =
            meshStore().at(ModelLoader::instance().get(can.name).meshLevels[0][0]).material;
        ASSERT_EQ(material.diffuseTextures.size(), 1u);
        const std::string image = material.diffuseTextures[0];
        EXPECT_EQ(image, (folder.path() / "levels" / seed).string() + "*0");
        ASSERT_NE(embeddedImage(image), nullptr);
        EXPECT_TRUE(TextureImage(*embeddedImage(image), 0).ok());
        EXPECT_NEAR(material.emissiveColor.r, 3.0f, 1e-3f); // colour 1 times strength 3
    }
}

// The importer opens a buffer's name as written, following links and ".."
// as they come: it is checked as such, never tidied first.
TEST_F(WindowlessLevels, ABufferFileIsReadFromTheLevelsFolderOnly) {
    std::ifstream seed(std::string(KELVARO_SOURCE_DIR) + "/fuzz/corpus/gltf/seed-embedded.gltf");
    const std::string text((std::istreambuf_iterator<char>(seed)), {});
    const std::filesystem::path outside = folder.path() / "outside";
    std::filesystem::create_directories(outside / "deeper");
    folder.write("outside/data.bin", std::string(20000, '\0'));
    folder.write("levels/data.bin", std::string(20000, '\0'));
    ASSERT_EQ(mkfifo((outside / "pipe.bin").c_str(), 0600), 0);
    std::filesystem::create_directories(folder.path() / "levels");
    std::filesystem::create_directory_symlink(outside / "deeper", folder.path() / "levels/sub");
    std::filesystem::create_directory_symlink(outside, folder.path() / "levels/out");
    struct Case {
        std::string uri, problem;
    };
    for (const Case& c : {
             // "sub/.." is the outside folder; tidied it would be the level's.
             Case{"sub/../pipe.bin", "has buffer 0 in the file \"sub/../pipe.bin\", outside the "
                                     "level's folder; buffers are read from beside it"},
             Case{"out/data.bin", "has buffer 0 in " + (folder.path() / "levels").string() +
                                      "/out/data.bin, which leads out of the level's folder "
                                      "through a link; buffers are read from beside it"},
             Case{"data.bin", ""},
         }) {
        SCOPED_TRACE(c.uri);
        std::string level = text;
        const std::size_t from = level.find("\"uri\" : \"data:");
        ASSERT_NE(from, std::string::npos);
        level.replace(from, level.find('"', from + 9) + 1 - from, "\"uri\" : \"" + c.uri + "\"");
        LevelResult result = read(level, "level.gltf");
        EXPECT_EQ(bool(result.world), c.problem.empty()) << result.error;
        if (!c.problem.empty()) {
            ASSERT_EQ(result.findings.size(), 1u);
            EXPECT_EQ(result.findings[0].problem, c.problem);
            EXPECT_EQ(result.failure, LevelFailure::Malformed);
        }
    }
}

TEST_F(WindowlessLevels, APathThatIsNoRegularFileIsNeverOpened) {
    const std::filesystem::path pipe = folder.path() / "levels/pipe.dae";
    std::filesystem::create_directories(pipe.parent_path());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // Opening the pipe would block this test for ever.
    LevelResult fromPipe = loader.readFile(pipe.string(), {.upload = false});
    EXPECT_FALSE(fromPipe.world);
    EXPECT_EQ(fromPipe.error, "Level " + pipe.string() +
                                  " cannot be read: it is a named pipe, not a regular "
                                  "file.");
    LevelResult fromFolder = loader.readFile(folder.path().string(), {.upload = false});
    EXPECT_FALSE(fromFolder.world);
    EXPECT_EQ(fromFolder.error,
              "Level " + folder.path().string() + " cannot be read: it is a folder, not a file.");
    ASSERT_EQ(fromFolder.findings.size(), 1u);
    EXPECT_EQ(fromFolder.findings[0].node, folder.path().string());
    EXPECT_EQ(fromPipe.failure, LevelFailure::Unreadable);
    EXPECT_EQ(fromFolder.failure, LevelFailure::Unreadable);
}

// A file of the system says it holds 0 bytes and yields data without end;
// reading it to its end would never finish.
TEST_F(WindowlessLevels, AFileThatYieldsMoreThanItsSizeSaysIsUnreadable) {
    LevelResult endless = loader.readFile("/proc/self/pagemap", {.upload = false});
    EXPECT_FALSE(endless.world);
    EXPECT_EQ(endless.failure, LevelFailure::Unreadable);
    EXPECT_EQ(endless.error, "Level /proc/self/pagemap cannot be read: it yields more than the 0 "
                             "bytes it says it holds (a device or a file of the system, not a "
                             "level).");
}

TEST(ShippedLevelWithoutWindow, ReadsWithoutAnyFindingAndKeepsEveryFinerLevel) {
    ScopedWorkingDir here(KELVARO_SOURCE_DIR);
    WorldLoader loader;
    testing::internal::CaptureStdout();
    LevelResult result =
        loader.readFile("res/assets/models/worlds/sub2demo_debug.dae", {.upload = false});
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(result.world) << result.error;
    EXPECT_TRUE(result.findings.empty()) << describe(result.findings);
    EXPECT_EQ(result.world->objects.size(), 102u);
    int asteroids = 0;
    for (const GameObject& object : result.world->objects) {
        if (object.name.find("roid") == std::string::npos) {
            continue;
        }
        ++asteroids;
        const Model& model = ModelLoader::instance().get(object.name);
        ASSERT_EQ(model.meshLevels.size(), 4u) << object.name;
        EXPECT_EQ(meshStore().at(model.meshLevels[3][0]).triangleCount,
                  64 * meshStore().at(model.meshLevels[0][0]).triangleCount);
    }
    EXPECT_EQ(asteroids, 70);
}

} // namespace
