#include "GlWindow.h"
#include "TempDir.h"

#include "core/LoopScheduler.h"
#include "game/GameRules.h"
#include "game/GameSession.h"
#include "game/GameState.h"
#include "game/Input.h"
#include "physics/PhysicsContext.h"
#include "physics/RigidBody.h"
#include "world/WorldLoader.h"

#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>

namespace {

// A pilot that holds the flight keys the way a player would (each command is
// either off or the full ±300 of a held key), steering for the centre of the
// current ring. If it can finish the shipped track with the game's own
// controls, physics and rules, so can a player.
struct Pilot {
    // One pass of key reading: commands for the next step.
    void readKeys(const GameObject& ship, const glm::vec3& target) {
        const glm::quat r = ship.getRotation();
        const glm::vec3 forward = r * glm::vec3(0, 0, 1);
        const glm::vec3 up = r * glm::vec3(0, 1, 0);
        const glm::vec3 left = r * glm::vec3(1, 0, 0);
        const glm::vec3 toTarget = glm::normalize(target - ship.getPosition());
        const glm::vec3 w = ship.actor->angularVelocity();

        // Wanted turn rates (rad/s) from the angle still to turn.
        const float upError = std::atan2(glm::dot(toTarget, up), glm::dot(toTarget, forward));
        const float rightError = std::atan2(-glm::dot(toTarget, left), glm::dot(toTarget, forward));
        const float wantUp = glm::clamp(3.0f * upError, -1.0f, 1.0f);
        const float wantRight = glm::clamp(3.0f * rightError, -1.0f, 1.0f);
        // S (+300) turns the nose up, about the ship's -x; E (+300) turns it
        // right, about its -y; D (+300) rolls about its +z.
        const float upRate = glm::dot(w, -left);
        const float rightRate = glm::dot(w, -up);
        const float rollRate = glm::dot(w, forward);
        shipControl.pitch = key(wantUp - upRate);
        shipControl.yaw = key(wantRight - rightRate);
        shipControl.roll = key(-rollRate);
    }
    static float key(float error) {
        constexpr float DEAD_BAND = 0.02f;
        return error > DEAD_BAND ? 300.0f : error < -DEAD_BAND ? -300.0f : 0.0f;
    }
};

class ShippedTrackFlight : public GlTest {};

TEST_F(ShippedTrackFlight, AKeyboardPilotFinishesTheTrackWithoutTouchingAnAsteroid) {
    ScopedWorkingDir here(KELVARO_SOURCE_DIR);
    WorldLoader loader;
    LevelResult level = loader.read("sub2demo_debug.dae");
    ASSERT_TRUE(level.world) << level.error;
    World& w = *level.world;
    GameState state = GameState::Running;
    w.gameStatePtr = &state;
    auto previous = PhysicsContext::instance().setCallback(std::make_unique<GameRules>(&w));
    GameObject& ship = w.objects.front();
    ASSERT_EQ(ship.name, "spaceshipNew.obj");
    shipControl = ShipControl{&ship, 0, 0, 0};

    const int ringCount =
        int(std::distance(std::next(w.objects.begin(), w.currentRing), w.objects.end()));
    int steps = 0;
    const int limit = 144 * 120; // two minutes of flight
    Pilot pilot;
    while (state == GameState::Running && steps < limit) {
        const GameObject& ring = *std::next(w.objects.begin(), w.currentRing);
        // The game reads the keys once per pass; at 60 frames a second a pass
        // holds about two steps, and only the first step carries the torque.
        if (steps % 2 == 0) {
            pilot.readKeys(ship, ring.getPosition());
        }
        applyShipControl(PHYSICS_STEP);
        w.processRemovals();
        PhysicsContext::instance().simulateStep();
        w.syncFromPhysics();
        ++steps;
    }
    const float seconds = float(steps) / 144.0f;
    EXPECT_EQ(state, GameState::Finished)
        << "after " << seconds << " s, ring " << w.currentRing << " of " << ringCount
        << (state == GameState::GameOver ? ", touching an obstacle" : "");
    std::cout << "Flew " << ringCount << " rings in " << seconds << " s, collecting "
              << w.collectedTrash << " of " << (w.collectedTrash + w.remainingTrash)
              << " cans on the way\n";

    shipControl = ShipControl{};
    PhysicsContext::instance().setCallback(std::move(previous));
}

} // namespace
