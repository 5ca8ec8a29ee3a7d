#include "LevelFolder.h"

#include "game/TestPilot.h"
#include "game/TestPilotTurn.h"
#include "world/World.h"
#include "world/WorldLoader.h"
#include "world/WorldStart.h"

#include <glm/gtc/constants.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <set>
#include <string>
#include <vector>

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
        // The rings lie on a circle of 600 m: 35/600 rad/s of the ship's best
        // 0.605.
        EXPECT_NEAR(report.sharpestTurn, 35.0f / 600.0f / 0.605f, 0.02f);
    }
}

// A hairpin: 100 m straight on, then rings every 60 degrees round a half
// circle of `radius` metres turning towards `aside` (a unit vector across the
// start's heading), then one more 100 m straight back.
LevelWriter hairpin(float radius, glm::vec3 aside) {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    const glm::vec3 entry(0, 0, -100), ahead(0, 0, -1);
    for (int i = 0; i <= 4; ++i) {
        const float angle = glm::radians(60.0f * float(std::min(i, 3)));
        glm::vec3 position =
            entry + radius * (1.0f - std::cos(angle)) * aside + radius * std::sin(angle) * ahead;
        const glm::vec3 along = std::cos(angle) * ahead + std::sin(angle) * aside;
        if (i == 4) {
            position += 100.0f * along;
        }
        const glm::vec3 axis = glm::cross(glm::vec3(0, 0, 1), along);
        const glm::quat facing =
            glm::length(axis) < 1e-4f
                ? NO_TURN
                : glm::angleAxis(std::acos(glm::clamp(along.z, -1.0f, 1.0f)), glm::normalize(axis));
        level.addMeshNode("ring_" + std::to_string(i), "ring" + std::to_string(i),
                          torusMesh(8.5f, 0.4f), position, facing, glm::vec3(1.0f),
                          discMesh(8.5f, 0.5f));
    }
    return level;
}

// How sharp a hairpin the pilot flies, and what the sharpest turn says of it.
struct HairpinRow {
    const char* name;
    float radius;
    glm::vec3 aside;
    float share; // of the ship's best turn rate: 35 / radius / 0.605
};

TEST_F(TestPilot, FliesAHairpinAndMeasuresItsTurn) {
    const glm::vec3 diagonal = glm::normalize(glm::vec3(1, 1, 0));
    const std::vector<HairpinRow> rows = {
        {"a wide one in yaw", 120.0f, {1, 0, 0}, 0.48f},
        // Tighter than one key turns (82 m); a little tighter still and the
        // player goes round once more.
        {"a tight one on the diagonal, with both keys", 76.0f, diagonal, 0.76f},
    };
    for (const HairpinRow& row : rows) {
        for (Mode mode : MODES) {
            SCOPED_TRACE(row.name + std::string(mode == Mode::Player ? ", player" : ", perfect"));
            const PilotReport report = fly(hairpin(row.radius, row.aside), mode);
            EXPECT_TRUE(report.finished()) << report.line();
            // Round without going round again.
            EXPECT_LT(report.seconds, (200.0 + 3.2 * row.radius) / 35.0 + 1.0) << report.line();
            EXPECT_NEAR(report.sharpestTurn, row.share, 0.08f) << report.line();
        }
    }
}

TEST_F(TestPilot, TheSameLevelGivesTheSameLine) {
    for (Mode mode : MODES) {
        const std::string first = fly(curvedTrack(), mode).line();
        EXPECT_EQ(fly(curvedTrack(), mode).line(), first);
    }
}

// The eight player-like pilots of a check: people of their own reaction
// times and aims, each flight repeatable from the same start, one after the
// other in the same world.
TEST_F(TestPilot, EachPlayerLikePilotFliesItsOwnFlightAndRepeatsIt) {
    curvedTrack().write(folder.path() / "level.dae");
    WorldLoader loader;
    testing::internal::CaptureStdout();
    LevelResult result = loader.readFile("level.dae", {.times = nullptr, .upload = false});
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(result.world) << result.error;
    const WorldStart start(*result.world);
    const std::vector<PilotOptions> pilots = playerPilots();
    ASSERT_EQ(pilots.size(), 8u);
    std::set<std::string> lines;
    for (const PilotOptions& pilot : pilots) {
        EXPECT_GE(pilot.reactionDelay, 0.2);
        EXPECT_LE(pilot.reactionDelay, 0.35);
        const PilotReport first = TestFlight(*result.world, start, pilot).fly();
        const PilotReport again = TestFlight(*result.world, start, pilot).fly();
        EXPECT_TRUE(first.finished()) << first.line();
        EXPECT_EQ(again.line(), first.line());
        EXPECT_EQ(first.legs.size(), 6u);
        lines.insert(first.line());
    }
    // Different people fly different lines.
    EXPECT_GT(lines.size(), 1u);
}

// Holding keys instead of choosing them sweeps the ways the ship can turn;
// a flight cut short ends as given up.
TEST_F(TestPilot, HeldKeysAndALimitOnTheFlight) {
    curvedTrack().write(folder.path() / "level.dae");
    WorldLoader loader;
    testing::internal::CaptureStdout();
    LevelResult result = loader.readFile("level.dae", {.times = nullptr, .upload = false});
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(result.world) << result.error;
    const WorldStart start(*result.world);
    PilotOptions held;
    held.held = ShipControl{nullptr, 300.0f, 0.0f, 0.0f};
    held.longest = 2.0;
    TestFlight flight(*result.world, start, held);
    const PilotReport report = flight.fly();
    EXPECT_EQ(report.outcome, PilotReport::Outcome::GaveUp);
    EXPECT_NEAR(report.seconds, 2.0, 0.01);
    // Nose up all along: the ship climbed.
    for (const GameObject& object : result.world->objects) {
        if (object.kind == ObjectKind::Ship) {
            EXPECT_GT(object.getPosition().y, 5.0f);
        }
    }
}

// If the pilot finishes the shipped track in both modes with the game's own
// controls, physics and rules, so can a player.
TEST_F(TestPilot, FinishesTheShippedTrackWithoutTouchingAnAsteroid) {
    // Built as a path: g++ 12 warns falsely about a literal appended to a string.
    const std::string shipped =
        (std::filesystem::path(KELVARO_SOURCE_DIR) / "res/assets/models/worlds/sub2demo_debug.dae")
            .string();
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

// The turn a row of ring passes asks for, from a start at the origin headed
// along -z, at 35 m/s, as a share of a best rate of 0.5 rad/s (a turn
// radius of 70 m).
struct TurnRow {
    const char* name;
    std::vector<glm::vec3> passes;
    float share;
};

TEST(TurnMeasure, IsTheSteadyTurnThePassesAsk) {
    const float right = std::sqrt(0.5f);
    const std::vector<TurnRow> rows = {
        {"straight on", {{0, 0, -100}, {0, 0, -200}, {0, 0, -300}}, 0.0f},
        {"no ring passed", {}, 0.0f},
        // A circle of 140 m through the start and both passes: a 90 degree
        // arc between them, 45 degrees at each pass.
        {"a gentle arc", {{140 - 140 * right, 0, -140 * right}, {140, 0, -140}}, 0.5f},
        // Right angle at a pass 100 m on, 100 m to the next: the circle
        // through all three has a radius of 70.7 m.
        {"a right angle", {{0, 0, -100}, {100, 0, -100}}, 70.0f / 70.71f},
        // The same corner in pitch and yaw together turns just as sharply.
        {"a right angle upwards and aside", {{0, 0, -100}, {70.71f, 70.71f, -100}}, 70.0f / 70.71f},
        // Back to 200 m beside the start: a half circle of 100 m radius.
        {"a hairpin", {{0, 0, -300}, {200, 0, 0}}, 0.7f},
        // A ring 20 m aside of the start cannot be reached on a turn.
        {"beside the start", {{20, 0, 0}}, 1.0f},
        {"straight back through the ring before", {{0, 0, -100}, {0, 0, 0}}, 1.0f},
    };
    for (const TurnRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(sharpestTurnShare({0, 0, 0}, {0, 0, -1}, row.passes, 35.0f, 0.5f), row.share,
                    0.01f);
    }
}

TEST(TurnMeasure, TheBestRateHoldsPitchAndYawTogether) {
    EXPECT_NEAR(bestTurnRate(2.0f), std::sqrt(2.0f) * steadyTurnRate(2.0f), 1e-5f);
    EXPECT_NEAR(bestTurnRate(2.0f), 0.605f, 0.005f);
}

} // namespace
