#include "LevelWriter.h"
#include "LoaderLevels.h"
#include "TempDir.h"

#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "physics/CollisionMeshes.h"
#include "physics/PhysicsContext.h"
#include "world/WorldLoader.h"

#include <glm/gtc/constants.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <unistd.h>

namespace {

const glm::quat HALF_TURN = glm::angleAxis(glm::pi<float>(), glm::vec3(0, 1, 0));

void expectNear(const glm::vec3& actual, const glm::vec3& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

void expectSameTurn(const glm::quat& actual, const glm::quat& expected) {
    EXPECT_NEAR(std::abs(glm::dot(actual, expected)), 1.0f, 1e-5f);
}

// Levels written into a temporary game folder with the test ship, loaded in
// the process as the game loads them, without a window.
class LevelLoads : public testing::Test {
protected:
    void SetUp() override {
        cwd.emplace(folder.path());
        writeTestShip(folder.path() / "res/assets/models");
    }

    LevelResult read(const LevelWriter& level, const std::string& name = "level.dae") {
        level.write(folder.path() / "res/assets/models/worlds" / name);
        testing::internal::CaptureStdout();
        LevelResult result = loader.readFile("res/assets/models/worlds/" + name,
                                             {.times = nullptr, .upload = false});
        output = testing::internal::GetCapturedStdout();
        return result;
    }

    // Reads a level that must load, and without any message or finding.
    World load(const LevelWriter& level, const std::string& name = "level.dae") {
        LevelResult result = read(level, name);
        EXPECT_TRUE(result.world) << result.error;
        EXPECT_EQ(output, "");
        EXPECT_TRUE(result.findings.empty()) << result.findings.front().problem;
        return result.world ? std::move(*result.world) : World{};
    }

    // The error of a level that must not load, after checking that it
    // released everything it had built.
    std::string failure(const LevelWriter& level, const std::string& name = "level.dae") {
        const std::size_t bodies = PhysicsContext::instance().bodyCount();
        LevelResult result = read(level, name);
        EXPECT_FALSE(result.world);
        EXPECT_EQ(PhysicsContext::instance().bodyCount(), bodies);
        return result.error;
    }

    // Object names without the "#2", "#3", ... that a model name gets when an
    // earlier test in the same process already used it.
    static std::vector<std::string> names(const World& world) {
        std::vector<std::string> result;
        for (const GameObject& object : world.objects) {
            result.push_back(object.name.substr(0, object.name.find('#')));
        }
        return result;
    }

    static const GameObject& at(const World& world, std::size_t position) {
        return *std::next(world.objects.begin(), position);
    }

    TempDir folder;
    std::optional<ScopedWorkingDir> cwd;
    WorldLoader loader;
    std::string output;
};

TEST_F(LevelLoads, ShipThenObstaclesAndTrashInSceneOrderThenRingsByNumber) {
    LevelWriter level;
    level.addMeshNode("roid_a", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1.0f), rock());
    level.addMeshNode("tcan_a", "can", can(), {0, 5, 20}, NO_TURN, glm::vec3(1.0f), can());
    level.addMeshNode("ring_2", "ring2", ringMesh(), {0, 0, 90}, NO_TURN, glm::vec3(1.0f),
                      opening());
    level.addEmpty("Camera", {0, 0, -5});
    level.addMeshNode("sun", "star", sphereMesh(5.0f), {0, 100, 0}, NO_TURN, glm::vec3(1.0f),
                      sphereMesh(5.0f));
    level.addMeshNode("ring_0", "ring0", ringMesh(), {0, 0, 30}, NO_TURN, glm::vec3(1.0f),
                      opening());
    level.addMeshNode("tcan_b", "can", can(), {0, -5, 40}, NO_TURN, glm::vec3(1.0f), can());
    level.addMeshNode("ring_1", "ring1", ringMesh(), {0, 0, 60}, NO_TURN, glm::vec3(1.0f),
                      opening());
    const std::size_t bodies = PhysicsContext::instance().bodyCount();
    World world = load(level);
    // The ship takes the camera node's place; tcan_b shares its meshes with
    // tcan_a and so takes its name.
    EXPECT_EQ(names(world), (std::vector<std::string>{"roid_a", "tcan_a", "spaceshipNew.obj", "sun",
                                                      "tcan_a", "ring_0", "ring_1", "ring_2"}));
    const std::vector<ObjectKind> kinds = {
        ObjectKind::Obstacle, ObjectKind::Trash, ObjectKind::Ship, ObjectKind::Obstacle,
        ObjectKind::Trash,    ObjectKind::Ring,  ObjectKind::Ring, ObjectKind::Ring};
    std::size_t i = 0;
    for (const GameObject& object : world.objects) {
        EXPECT_EQ(object.kind, kinds[i++]) << object.name;
        EXPECT_EQ(object.actor->userData(), &object);
        EXPECT_TRUE(object.actor->inWorld());
        EXPECT_EQ(object.actor->shapeCount(), object.kind == ObjectKind::Ship ? 2u : 1u)
            << object.name;
    }
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), bodies + 8);
    expectNear(at(world, 6).position, {0, 0, 60});
    EXPECT_EQ(world.currentRing, 5);
    EXPECT_EQ(world.remainingTrash, 2);
    EXPECT_EQ(world.collectedTrash, 0);
    EXPECT_TRUE(world.removalQueue.empty());
    EXPECT_EQ(world.gameStatePtr, nullptr);
    EXPECT_EQ(world.skyboxName, "BSpace");
    EXPECT_EQ(world.ambient, glm::vec3(1.0f));
    EXPECT_TRUE(world.directionalLights.empty());
    EXPECT_TRUE(world.pointLights.empty());
}

TEST_F(LevelLoads, WithoutTrashTheCounterSaysNone) {
    LevelWriter level = withTrack();
    level.addMeshNode("roid_a", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1.0f), rock());
    World world = load(level);
    EXPECT_EQ(world.currentRing, 2);
    EXPECT_EQ(world.remainingTrash, 0);
}

TEST_F(LevelLoads, TheShipStartsAtTheCameraNodeTurnedHalfAroundWithTheCameraBehindIt) {
    LevelWriter level;
    const glm::quat nodeTurn = glm::angleAxis(0.7f, glm::normalize(glm::vec3(1, 2, 0.5f)));
    level.addEmpty("Camera", {4, -2, 7}, nodeTurn);
    level.addEmpty("Camera.001", {100, 0, 0}); // a second camera makes nothing
    level.addMeshNode("sun", "star", sphereMesh(5.0f), {0, 100, 0}, NO_TURN, glm::vec3(1.0f),
                      sphereMesh(5.0f));
    addTrack(level);
    World world = load(level);
    ASSERT_EQ(world.objects.size(), 3u);
    const GameObject& ship = world.objects.front();
    EXPECT_EQ(ship.name, "spaceshipNew.obj");
    EXPECT_EQ(ship.kind, ObjectKind::Ship);
    expectNear(ship.position, {4, -2, 7});
    expectSameTurn(ship.rotation, nodeTurn * HALF_TURN);
    EXPECT_EQ(ship.scale, glm::vec3(1.0f));
    expectNear(ship.actor->position(), {4, -2, 7});
    EXPECT_TRUE(ship.actor->isDynamic());
    EXPECT_FLOAT_EQ(ship.actor->angularDamping(), 2.0f);
    EXPECT_EQ(ship.actor->filter(), (FilterData{1, 14}));

    EXPECT_EQ(world.camera.target, &ship);
    EXPECT_EQ(world.camera.position, glm::vec3(0, 3, -10));
    expectSameTurn(world.camera.rotation, HALF_TURN);
    // Behind the ship and above it, looking the way the ship flies.
    const glm::quat shipTurn = ship.rotation;
    expectNear(world.camera.getPosition(), ship.position + shipTurn * glm::vec3(0, 3, -10));
    expectNear(world.camera.getRotation() * glm::vec3(0, 0, -1), shipTurn * glm::vec3(0, 0, 1));
}

// A mirror in the camera's scale (Blender's mirror, or a negative scale)
// still starts the ship upright along the camera's -Z as the node's matrix
// maps it, and says so.
TEST_F(LevelLoads, AMirroredCameraStillStartsTheShipUprightAlongItsMinusZ) {
    struct Case {
        glm::vec3 scale;
        bool warned;
    };
    const glm::quat nodeTurn = glm::angleAxis(0.7f, glm::normalize(glm::vec3(1, 2, 0.5f)));
    for (const Case& c :
         {Case{{1, 1, 1}, false}, Case{{-1, 1, 1}, true}, Case{{1, 1, -1}, true},
          Case{{2, 2, 2}, false}, Case{{2, -2, 2}, true}, Case{{-1, -1, -1}, true}}) {
        SCOPED_TRACE(testing::Message() << c.scale.x << " " << c.scale.y << " " << c.scale.z);
        LevelWriter level;
        level.addEmpty("Camera", {4, -2, 7}, nodeTurn);
        std::ostringstream scale;
        scale << "<scale>" << c.scale.x << " " << c.scale.y << " " << c.scale.z << "</scale>";
        level.addChildXml(scale.str());
        addTrack(level);
        LevelResult result = read(level);
        ASSERT_TRUE(result.world) << result.error;
        const GameObject& ship = result.world->objects.front();
        // The ship's nose is its +Z (the ship is the camera turned half round).
        expectNear(ship.rotation * glm::vec3(0, 0, 1),
                   glm::normalize(nodeTurn * (c.scale * glm::vec3(0, 0, -1))));
        expectNear(ship.rotation * glm::vec3(0, 1, 0),
                   glm::normalize(nodeTurn * (c.scale * glm::vec3(0, 1, 0))));
        ASSERT_EQ(result.findings.size(), c.warned ? 1u : 0u);
        if (c.warned) {
            EXPECT_EQ(result.findings[0].node, "Camera");
            EXPECT_EQ(result.findings[0].severity, LevelFinding::Severity::Warning);
            EXPECT_NE(result.findings[0].problem.find("mirrored"), std::string::npos);
        }
    }
}

TEST_F(LevelLoads, TransformsAreParentTimesNodeDecomposedIntoPlaceTurnAndScale) {
    LevelWriter level = withTrack();
    const glm::quat turn = glm::angleAxis(0.9f, glm::normalize(glm::vec3(0, 1, 1)));
    level.addMeshNode("roid_turned", "rock", rock(), {1, 2, 3}, turn, {2, 3, 4}, rock());
    // The same level with Z up: the root turns everything a quarter about x.
    std::string zUp = level.str();
    zUp.replace(zUp.find("Y_UP"), 4, "Z_UP");
    folder.write("res/assets/models/worlds/zup.dae", zUp);
    World world = load(level);
    const GameObject& asteroid = at(world, 1);
    expectNear(asteroid.position, {1, 2, 3});
    expectSameTurn(asteroid.rotation, turn);
    expectNear(asteroid.scale, {2, 3, 4});
    EXPECT_EQ(asteroid.actor->shapeScale(0), asteroid.scale);

    testing::internal::CaptureStdout();
    LevelResult turned =
        loader.readFile("res/assets/models/worlds/zup.dae", {.times = nullptr, .upload = false});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_TRUE(turned.world) << turned.error;
    const GameObject& moved = at(*turned.world, 1);
    const glm::quat root = glm::angleAxis(-glm::half_pi<float>(), glm::vec3(1, 0, 0));
    expectNear(moved.position, root * glm::vec3(1, 2, 3));
    expectSameTurn(moved.rotation, root * turn);
    expectNear(moved.scale, {2, 3, 4});
}

TEST_F(LevelLoads, ANumberReadsUpToTheFirstNonDigitSoRing1Dot001IsRing1) {
    LevelWriter level = withCamera();
    level.addMeshNode("ring_1.001", "ring1", ringMesh(), {0, 0, 60}, NO_TURN, glm::vec3(1.0f),
                      opening());
    level.addMeshNode("ring_ +0", "ring0", ringMesh(), {0, 0, 30}, NO_TURN, glm::vec3(1.0f),
                      opening());
    World world = load(level);
    EXPECT_EQ(names(world),
              (std::vector<std::string>{"spaceshipNew.obj", "ring_ +0", "ring_1.001"}));
    EXPECT_EQ(world.currentRing, 1);
}

TEST_F(LevelLoads, NodesSharingMeshesShareOneModelAndOneCookedMesh) {
    LevelWriter level = withCamera();
    level.addMeshNode("roid_first", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1.0f), rock());
    level.addMeshNode("roid_second", "rock", rock(), {-10, 0, 0}, NO_TURN, {2, 2, 2}, rock());
    level.addMeshNode("ring_0", "ringShared", ringMesh(), {0, 0, 30}, NO_TURN, glm::vec3(1.0f),
                      opening());
    level.addMeshNode("ring_1", "ringShared", ringMesh(), {0, 0, 60}, NO_TURN, glm::vec3(1.0f),
                      opening());
    const std::size_t models = ModelLoader::instance().size();
    const std::size_t cooked = collisionMeshStore().size();
    const std::size_t bodies = PhysicsContext::instance().bodyCount();
    LevelResult result = read(level);
    ASSERT_TRUE(result.world) << result.error;
    ASSERT_EQ(result.findings.size(), 1u);
    EXPECT_EQ(result.findings[0].node, "ring_1");
    World& world = *result.world;
    // The second ring took the first one's name and number and was dropped.
    EXPECT_EQ(names(world),
              (std::vector<std::string>{"spaceshipNew.obj", "roid_first", "roid_first", "ring_0"}));
    EXPECT_EQ(PhysicsContext::instance().bodyCount(), bodies + 4);
    // One model for the rocks, one for the rings, one for the ship.
    EXPECT_EQ(ModelLoader::instance().size(), models + 3);
    EXPECT_EQ(collisionMeshStore().size(), cooked + 2);
    const GameObject& first = at(world, 1);
    const GameObject& second = at(world, 2);
    EXPECT_EQ(first.actor->shapeMesh(0), second.actor->shapeMesh(0));
    EXPECT_EQ(first.actor->shapeMesh(0), collisionMeshStore().at(cooked).get());
    EXPECT_EQ(second.actor->shapeScale(0), glm::vec3(2.0f));
    // The shared model got its finer levels once.
    EXPECT_EQ(ModelLoader::instance().get(first.name).meshLevels.size(), 4u);
}

TEST_F(LevelLoads, RoidGetsThreeFinerLevelsAndSunflowerIsAPlainObstacle) {
    LevelWriter level = withTrack();
    level.addMeshNode("asteroid", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1.0f), rock());
    level.addMeshNode("sunflower", "flower", sphereMesh(2.0f), {-10, 0, 0}, NO_TURN,
                      glm::vec3(1.0f), sphereMesh(2.0f));
    World world = load(level);
    ASSERT_EQ(world.objects.size(), 4u);
    EXPECT_EQ(at(world, 1).kind, ObjectKind::Obstacle);
    EXPECT_EQ(at(world, 2).kind, ObjectKind::Obstacle);
    EXPECT_TRUE(dynamic_cast<const TriangleMesh*>(at(world, 2).actor->shapeMesh(0)));
    EXPECT_EQ(ModelLoader::instance().get(at(world, 2).name).meshLevels.size(), 1u);
    const Model& asteroid = ModelLoader::instance().get(at(world, 1).name);
    ASSERT_EQ(asteroid.meshLevels.size(), 4u);
    int32_t triangles = meshStore().at(asteroid.meshLevels[0][0]).triangleCount;
    for (std::size_t level = 1; level < 4; ++level) {
        ASSERT_EQ(asteroid.meshLevels[level].size(), 1u);
        const Mesh& finer = meshStore().at(asteroid.meshLevels[level][0]);
        EXPECT_EQ(finer.triangleCount, 4 * triangles);
        triangles = finer.triangleCount;
    }
    EXPECT_EQ(asteroid.meshLevels[2][0], asteroid.meshLevels[1][0] + 1);
    EXPECT_EQ(asteroid.meshLevels[3][0], asteroid.meshLevels[1][0] + 2);
}

TEST_F(LevelLoads, LampsBecomePointLightsOnlyWhereALightHasTheNodesName) {
    LevelWriter level = withTrack();
    level.addLamp("Lamp.000", {1, 2, 3}, {0.5f, 0.25f, 1.0f}, {1.0f, 0.1f, 0.01f});
    level.addEmpty("Lamp.009", {7, 7, 7}); // no light of that name
    level.addLamp("Lamp.001", {-4, 5, -6}, {1, 1, 1});
    level.addMeshNode("sun", "star", sphereMesh(5.0f), {0, 100, 0}, NO_TURN, glm::vec3(1.0f),
                      sphereMesh(5.0f));
    LevelResult result = read(level);
    ASSERT_TRUE(result.world) << result.error;
    ASSERT_EQ(result.findings.size(), 1u);
    EXPECT_EQ(result.findings[0].node, "Lamp.009");
    World& world = *result.world;
    ASSERT_EQ(world.pointLights.size(), 2u);
    const PointLight& lamp = world.pointLights[0];
    EXPECT_EQ(lamp.color, glm::vec3(0.5f, 0.25f, 1.0f));
    expectNear(lamp.position, {1, 2, 3});
    expectNear(lamp.attenuation, {1.0f, 0.1f, 0.01f});
    expectNear(world.pointLights[1].position, {-4, 5, -6});
    const std::vector<Light*> lights = world.collectLights();
    ASSERT_EQ(lights.size(), 2u);
    EXPECT_EQ(lights[0], &world.pointLights[0]);
}

TEST_F(LevelLoads, AGrandchildOfTheRootIsNeverAnObject) {
    LevelWriter level = withTrack();
    level.addEmpty("holder", {0, 0, 0});
    const std::string bind = "<bind_material><technique_common><instance_material "
                             "symbol=\"mat0\" target=\"#mat0\"/></technique_common>"
                             "</bind_material>";
    level.addChildXml("<node id=\"tcan_deep\" name=\"tcan_deep\" type=\"NODE\">"
                      "<instance_geometry url=\"#can-mat0\">" +
                      bind + "</instance_geometry></node>");
    level.addMeshNode("plain", "can", can(), {0, 0, 0}, NO_TURN, glm::vec3(1.0f), can());
    level.addChildXml("<node id=\"roid_deep\" name=\"roid_deep\" type=\"NODE\">"
                      "<instance_geometry url=\"#can-mat0\">" +
                      bind + "</instance_geometry></node>");
    LevelResult result = read(level);
    ASSERT_TRUE(result.world) << result.error;
    EXPECT_EQ(names(*result.world), (std::vector<std::string>{"spaceshipNew.obj", "ring_0"}));
    // Said for each of them.
    ASSERT_EQ(result.findings.size(), 2u);
    EXPECT_EQ(result.findings[0].node, "tcan_deep");
    EXPECT_EQ(result.findings[1].node, "roid_deep");
}

TEST_F(LevelLoads, ANameAlreadyInTheModelCacheGetsAModelOfItsOwn) {
    LevelWriter first = withTrack();
    first.addMeshNode("roid_again", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1.0f), rock());
    LevelWriter second = withTrack();
    second.addMeshNode("roid_again", "rock", sphereMesh(3.0f), {10, 0, 0}, NO_TURN, glm::vec3(1.0f),
                       sphereMesh(3.0f));
    World one = load(first, "one.dae");
    World two = load(second, "two.dae");
    const GameObject& earlier = at(one, 1);
    const GameObject& later = at(two, 1);
    EXPECT_EQ(later.name.rfind(earlier.name + "#", 0), 0u) << later.name;
    const Model& model = ModelLoader::instance().get(later.name);
    EXPECT_NE(model.meshLevels[0], ModelLoader::instance().get(earlier.name).meshLevels[0]);
    EXPECT_NE(later.actor->shapeMesh(0), earlier.actor->shapeMesh(0));
}

// Problems with single objects: reported, and the level still loads.

TEST_F(LevelLoads, AMeshNodeWithoutAChildMeshIsKeptWithoutShapeAndReported) {
    LevelWriter level = withTrack();
    level.addMeshNode("roid_bare", "bare", rock(), {10, 0, 0});
    level.addMeshNode("tcan_x", "can", can(), {0, 5, 20}, NO_TURN, glm::vec3(1.0f), can());
    const std::size_t cooked = collisionMeshStore().size();
    LevelResult result = read(level);
    ASSERT_TRUE(result.world) << result.error;
    EXPECT_EQ(output, "");
    ASSERT_EQ(result.findings.size(), 1u);
    EXPECT_EQ(result.findings[0].node, "roid_bare");
    EXPECT_EQ(result.findings[0].problem,
              "it has no collision child, so it is drawn but the ship flies through it");
    const World& world = *result.world;
    EXPECT_EQ(at(world, 1).actor->shapeCount(), 0u);
    EXPECT_TRUE(ModelLoader::instance().get(at(world, 1).name).collisionMeshes.empty());
    // The can's hull is the one cooked mesh besides the ring's, and only the
    // can names it.
    EXPECT_EQ(collisionMeshStore().size(), cooked + 2);
    EXPECT_EQ(ModelLoader::instance().get(at(world, 2).name).collisionMeshes,
              std::vector<uint32_t>{static_cast<uint32_t>(cooked + 1)});
    EXPECT_EQ(at(world, 2).actor->shapeCount(), 1u);
}

TEST_F(LevelLoads, ACollisionMeshThatCannotBeCookedIsReportedAndTheLevelStillLoads) {
    LevelWriter level = withTrack();
    TestMesh flat = boxMesh({1.0f, 0.0f, 1.0f});
    level.addMeshNode("tcan_flat", "can", can(), {0, 5, 20}, NO_TURN, glm::vec3(1.0f), flat);
    LevelResult result = read(level);
    ASSERT_TRUE(result.world) << result.error;
    // The finding names the node; nothing else reaches the console.
    EXPECT_EQ(output, "");
    ASSERT_EQ(result.findings.size(), 1u);
    EXPECT_EQ(result.findings[0].node, "tcan_flat");
    EXPECT_EQ(at(*result.world, 1).actor->shapeCount(), 0u);
    EXPECT_EQ(result.world->remainingTrash, 1);
}

TEST_F(LevelLoads, AMissingShipModelIsReportedOnceAndTheLevelStillLoads) {
    std::filesystem::remove(folder.path() / "res/assets/models/spaceshipNew.obj");
    LevelWriter level = withTrack();
    level.addMeshNode("roid_a", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1.0f), rock());
    LevelResult result = read(level);
    ASSERT_TRUE(result.world) << result.error;
    EXPECT_EQ(output.rfind("[ ERROR ]\tAssimp: ", 0), 0u) << output;
    EXPECT_NE(output.find("res/assets/models/spaceshipNew.obj"), std::string::npos);
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1);
    EXPECT_EQ(result.world->objects.front().actor->shapeCount(), 0u);
    EXPECT_EQ(result.world->camera.target, &result.world->objects.front());
}

// Problems that leave nothing to play: one line naming the level, no world.

TEST_F(LevelLoads, AFileThatCannotBeImportedNamesTheLevel) {
    const std::string missing =
        (testing::internal::CaptureStdout(),
         loader
             .readFile("res/assets/models/worlds/nowhere.dae", {.times = nullptr, .upload = false})
             .error);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(
        missing.rfind("Level res/assets/models/worlds/nowhere.dae cannot be read: Assimp: ", 0), 0u)
        << missing;
    const std::string full = withCamera().str();
    const std::vector<std::pair<std::string, std::string>> broken = {
        {"empty.dae", ""},
        {"truncated.dae", full.substr(0, full.size() / 2)},
        {"text.dae", "This is not a level, just some notes.\n"},
    };
    for (const auto& [name, content] : broken) {
        folder.write("res/assets/models/worlds/" + name, content);
        testing::internal::CaptureStdout();
        LevelResult result = loader.readFile("res/assets/models/worlds/" + name,
                                             {.times = nullptr, .upload = false});
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << name;
        EXPECT_FALSE(result.world) << name;
        EXPECT_EQ(result.error.rfind(
                      "Level res/assets/models/worlds/" + name + " cannot be read: Assimp: ", 0),
                  0u)
            << result.error;
    }
}

TEST_F(LevelLoads, ALevelWithoutAnyMeshCannotBeRead) {
    LevelWriter level = withCamera();
    level.addLamp("Lamp.000", {1, 2, 3}, {1, 1, 1});
    EXPECT_EQ(failure(level), "Level res/assets/models/worlds/level.dae cannot be read: Assimp: "
                              "the scene is incomplete; a level needs at least one mesh");
}

TEST_F(LevelLoads, ALevelWithoutCameraCannotBePlayed) {
    LevelWriter level;
    level.addMeshNode("roid_a", "rock", rock(), {10, 0, 0}, NO_TURN, glm::vec3(1.0f), rock());
    level.addEmpty("camera", {0, 0, 0}); // the word is case-sensitive
    EXPECT_EQ(failure(level), "Level res/assets/models/worlds/level.dae has no node named "
                              "\"Camera\": it marks where the ship starts, and the level cannot "
                              "be played without it.");
}

TEST_F(LevelLoads, AGapInTheRingNumbersNamesTheMissingRing) {
    LevelWriter level = withCamera();
    level.addMeshNode("ring_2", "ring2", ringMesh(), {0, 0, 90}, NO_TURN, glm::vec3(1.0f),
                      opening());
    level.addMeshNode("ring_0", "ring0", ringMesh(), {0, 0, 30}, NO_TURN, glm::vec3(1.0f),
                      opening());
    level.addMeshNode("tcan_a", "can", can(), {0, 5, 20}, NO_TURN, glm::vec3(1.0f), can());
    EXPECT_EQ(failure(level, "sub2demo_debug.dae"),
              "Level res/assets/models/worlds/sub2demo_debug.dae: the ring numbers must run 0, 1, "
              "2, ... without gaps, but there is no ring_1 (found ring_0, ring_2).");
}

TEST_F(LevelLoads, AGapLeftByARingThatSharesAnotherRingsMeshesSaysSo) {
    LevelWriter level = withCamera();
    level.addMeshNode("ring_0", "ring0", ringMesh(), {0, 0, 30}, NO_TURN, glm::vec3(1.0f),
                      opening());
    level.addMeshNode("ring_1", "ring0", ringMesh(), {0, 0, 60}, NO_TURN, glm::vec3(1.0f),
                      opening());
    level.addMeshNode("ring_2", "ring2", ringMesh(), {0, 0, 90}, NO_TURN, glm::vec3(1.0f),
                      opening());
    level.addMeshNode("ring_2.001", "ring2b", ringMesh(), {0, 0, 95}, NO_TURN, glm::vec3(1.0f),
                      opening());
    EXPECT_EQ(failure(level), "Level res/assets/models/worlds/level.dae: the ring numbers must "
                              "run 0, 1, 2, ... without gaps, but there is no ring_1 (found "
                              "ring_0, ring_2; ring_1 counts as a second ring 0, as it shares "
                              "its meshes with ring_0, and was left out; ring_2.001 counts as a "
                              "second ring 2, and was left out).");
}

TEST_F(LevelLoads, UnreadableRingNumbersNameTheNode) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ringA", "has no ring number"},
        {"ring_x", "has no ring number"},
        {"ring_+-1", "has no ring number"},
        {"ring_99999999999", "a ring number too large to be read"},
        {"ring_-1", "has the ring number -1"},
    };
    for (const auto& [name, problem] : cases) {
        LevelWriter level = withCamera();
        level.addMeshNode("ring_0", "ring0", ringMesh(), {0, 0, 30}, NO_TURN, glm::vec3(1.0f),
                          opening());
        level.addMeshNode(name, "ringBad", ringMesh(), {0, 0, 60}, NO_TURN, glm::vec3(1.0f),
                          opening());
        const std::string error = failure(level, name + ".dae");
        EXPECT_EQ(
            error.rfind("Level res/assets/models/worlds/" + name + ".dae: node " + name + " ", 0),
            0u)
            << error;
        EXPECT_NE(error.find(problem), std::string::npos) << error;
    }
}

// The shipped level, as the game loads it.
class ShippedLevelLoad : public testing::Test {};

TEST_F(ShippedLevelLoad, LoadsWithoutAnyErrorIntoTheTrackItWasMadeAs) {
    ScopedWorkingDir here(KELVARO_SOURCE_DIR);
    WorldLoader loader;
    testing::internal::CaptureStdout();
    LevelResult result = loader.readFile("res/assets/models/worlds/sub2demo_debug.dae",
                                         {.times = nullptr, .upload = false});
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(result.world) << result.error;
    EXPECT_EQ(out.find("[ ERROR ]"), std::string::npos) << out;
    EXPECT_EQ(out.find("failed!"), std::string::npos) << out;
    EXPECT_TRUE(result.findings.empty()) << result.findings.front().problem;
    const World& world = *result.world;
    std::map<ObjectKind, int> kinds;
    int shapeless = 0;
    for (const GameObject& object : world.objects) {
        ++kinds[object.kind];
        shapeless += object.actor->shapeCount() == 0;
    }
    EXPECT_EQ(shapeless, 0);
    EXPECT_EQ(kinds[ObjectKind::Ship], 1);
    EXPECT_EQ(kinds[ObjectKind::Obstacle], 71); // 70 asteroids and the sun
    EXPECT_EQ(kinds[ObjectKind::Trash], 18);
    EXPECT_EQ(kinds[ObjectKind::Ring], 12);
    EXPECT_EQ(world.objects.front().name, "spaceshipNew.obj");
    EXPECT_EQ(world.pointLights.size(), 3u);
    EXPECT_EQ(world.remainingTrash, 18);
    EXPECT_EQ(world.currentRing, 90);
    int number = 0;
    for (auto it = std::next(world.objects.begin(), 90); it != world.objects.end(); ++it) {
        EXPECT_EQ(it->kind, ObjectKind::Ring);
        EXPECT_EQ(it->name.rfind("ring_" + std::to_string(number++), 0), 0u) << it->name;
    }
}

} // namespace
