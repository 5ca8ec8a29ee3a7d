#include "LevelFolder.h"

#include "game/TestPilot.h"
#include "world/WorldLoader.h"

#include <glm/gtc/constants.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

namespace {

const glm::quat NO_TURN(1, 0, 0, 0);

// A ring facing along `heading` (an angle about +y from -z), numbered `number`.
void addRing(LevelWriter& level, int number, glm::vec3 position, float heading) {
    level.addMeshNode("ring_" + std::to_string(number), "ring" + std::to_string(number),
                      torusMesh(6.0f, 0.4f), position, glm::angleAxis(heading, glm::vec3(0, 1, 0)),
                      glm::vec3(1.0f), discMesh(5.6f, 0.5f));
}

void addRock(LevelWriter& level, const std::string& name, glm::vec3 position, TestMesh mesh) {
    level.addMeshNode(name, name, mesh, position, NO_TURN, glm::vec3(1.0f), mesh);
}

// Rings along a quarter circle of radius 600 m turning right from -z to +x,
// with an asteroid on the straight line between the second and third ring.
LevelWriter curvedTrack() {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    constexpr float RADIUS = 600.0f;
    const int rings = 6;
    glm::vec3 previous(0.0f);
    for (int i = 0; i < rings; ++i) {
        const float angle = glm::half_pi<float>() * float(i + 1) / float(rings + 1);
        const glm::vec3 position(RADIUS - RADIUS * std::cos(angle), 0.0f,
                                 -RADIUS * std::sin(angle));
        addRing(level, i, position, -angle);
        if (i == 2) {
            addRock(level, "roid_inway", 0.5f * (previous + position), sphereMesh(4.0f));
        }
        previous = position;
    }
    addRock(level, "roid_aside", {150, 0, -100}, sphereMesh(5.0f));
    return level;
}

using Mode = PilotOptions::Mode;
const Mode MODES[] = {Mode::Perfect, Mode::Player};

class TestPilot : public LevelFolder {
protected:
    PilotReport fly(const LevelWriter& level, Mode mode = Mode::Perfect) {
        level.write(folder.path() / "level.dae");
        return flyFile("level.dae", mode);
    }

    PilotReport flyFile(const std::string& path, Mode mode) {
        WorldLoader loader;
        testing::internal::CaptureStdout();
        LevelResult result = loader.readFile(path, {.times = nullptr, .upload = false});
        const std::string console = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(result.world) << result.error << console;
        if (!result.world) {
            return {};
        }
        PilotOptions options;
        options.mode = mode;
        return flyTrack(*result.world, options);
    }
};

TEST_F(TestPilot, FinishesACurvedTrackAroundAnAsteroidInTheWay) {
    for (Mode mode : MODES) {
        SCOPED_TRACE(int(mode));
        const PilotReport report = fly(curvedTrack(), mode);
        EXPECT_TRUE(report.finished()) << report.line();
        EXPECT_EQ(report.ringsPassed, 6);
        EXPECT_EQ(report.ringCount, 6);
        // It passed the asteroid on the line between two rings, not through it.
        EXPECT_EQ(report.closestObject, "roid_inway") << report.line();
        EXPECT_GT(report.closestApproach, 2.0f) << report.line();
        EXPECT_LT(report.closestApproach, 12.0f) << report.line();
        EXPECT_EQ(report.obstaclesNear, 1) << report.line();
        EXPECT_EQ(report.line().rfind("FINISHED 6/6 rings in ", 0), 0u) << report.line();
        // A quarter circle of 600 m, flown at the ship's speed.
        EXPECT_NEAR(report.metres, report.seconds * 35.0, 1.0);
        EXPECT_GT(report.metres, 800.0);
        EXPECT_GT(report.sharpestTurn, 0.1f);
        EXPECT_LT(report.sharpestTurn, 1.5f);
    }
}

TEST_F(TestPilot, TheSameLevelGivesTheSameLine) {
    for (Mode mode : MODES) {
        const std::string first = fly(curvedTrack(), mode).line();
        EXPECT_EQ(fly(curvedTrack(), mode).line(), first);
    }
}

// If the pilot finishes the shipped track in both modes with the game's own
// controls, physics and rules, so can a player.
TEST_F(TestPilot, FinishesTheShippedTrackWithoutTouchingAnAsteroid) {
    const std::string shipped =
        std::string(KELVARO_SOURCE_DIR) + "/res/assets/models/worlds/sub2demo_debug.dae";
    ScopedWorkingDir here(KELVARO_SOURCE_DIR);
    for (Mode mode : MODES) {
        SCOPED_TRACE(int(mode));
        const PilotReport report = flyFile(shipped, mode);
        EXPECT_TRUE(report.finished()) << report.line();
        EXPECT_EQ(report.ringsPassed, 12);
        EXPECT_GT(report.closestApproach, 1.0f) << report.line();
        std::cout << report.line() << "\n";
    }
}

TEST_F(TestPilot, ReportsTheObstacleThatBlocksTheTrack) {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    // A wall across the whole way to the ring: there is no room to pass it.
    addRock(level, "roid_wall", {0, 0, -40}, boxMesh({150.0f, 150.0f, 1.0f}));
    addRing(level, 0, {0, 0, -60}, 0.0f);
    const PilotReport report = fly(level);
    EXPECT_EQ(report.outcome, PilotReport::Outcome::Hit) << report.line();
    EXPECT_EQ(report.line(), "NOT FINISHED: hit roid_wall at 1.1 s");
    EXPECT_EQ(report.ringsPassed, 0);
}

TEST_F(TestPilot, AWorldWithoutRingsCannotBeFinished) {
    // The loader refuses a level without rings; a world can still lose its
    // last ring, and the pilot must not fly it for ever.
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    addRock(level, "roid", {0, 30, -40}, sphereMesh(2.0f));
    addRing(level, 0, {0, 0, -30}, 0.0f);
    level.write(folder.path() / "level.dae");
    WorldLoader loader;
    testing::internal::CaptureStdout();
    LevelResult result = loader.readFile("level.dae", {.times = nullptr, .upload = false});
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(result.world) << result.error;
    result.world->objects.remove_if(
        [](const GameObject& object) { return object.kind == ObjectKind::Ring; });
    result.world->currentRing = -1;
    EXPECT_EQ(flyTrack(*result.world).line(), "NOT FINISHED: the level has no ring to fly through");
}

} // namespace
