#include "GlWindow.h"
#include "TempDir.h"

#include "game/TestPilot.h"
#include "world/WorldLoader.h"

#include <gtest/gtest.h>

namespace {

class ShippedTrackFlight : public GlTest {};

// The test pilot holds the flight keys the way a player would (each command
// either off or the full ±300 of a held key). If it finishes the shipped track
// with the game's own controls, physics and rules, so can a player.
TEST_F(ShippedTrackFlight, AKeyboardPilotFinishesTheTrackWithoutTouchingAnAsteroid) {
    ScopedWorkingDir here(KELVARO_SOURCE_DIR);
    WorldLoader loader;
    LevelResult level = loader.read("sub2demo_debug.dae");
    ASSERT_TRUE(level.world) << level.error;
    ASSERT_EQ(level.world->objects.front().name, "spaceshipNew.obj");

    const PilotReport report = flyTrack(*level.world);
    EXPECT_TRUE(report.finished()) << report.line();
    EXPECT_EQ(report.ringsPassed, report.ringCount);
    EXPECT_EQ(report.ringCount, 12);
    EXPECT_GT(report.closestApproach, 1.0f) << report.line();
    std::cout << report.line() << "\n";
}

} // namespace
