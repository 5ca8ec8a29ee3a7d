#include "core/LoopScheduler.h"
#include "game/Controls.h"
#include "game/Run.h"
#include "game/Input.h"
#include "world/GameObject.h"

#include "PhysicsFixtures.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

#include <vector>

using namespace physics_test;

namespace {

class ShipControlTest : public PhysicsTest {
protected:
    void TearDown() override {
        shipControl = ShipControl{};
        PhysicsTest::TearDown();
    }
    ShipControl shipControl;
};

TEST_F(ShipControlTest, TorquesActAboutTheShipsOwnAxesAndItFliesAlongItsNose) {
    // The ship as the level places it: turned half a turn about y.
    const glm::quat r = glm::angleAxis(glm::pi<float>(), glm::vec3(0, 1, 0));
    auto body = makeShip({0, 0, 0});
    body->setGlobalPose({0, 0, 0}, r);
    GameObject ship({0, 0, 0}, r, glm::vec3(1.0f), "spaceshipNew.obj", ObjectKind::Ship,
                    std::move(body));
    shipControl = ShipControl{&ship, -300.0f, 0.0f, 0.0f};

    applyShipControl(shipControl, PHYSICS_STEP);
    // The command holds until the keys are read again.
    EXPECT_EQ(shipControl.pitch, -300.0f);
    glm::vec3 v = ship.actor->linearVelocity();
    EXPECT_NEAR(v.x, 0.0f, 1e-4);
    EXPECT_NEAR(v.z, -35.0f, 1e-4); // nose along local +z, turned to world -z

    PhysicsContext::instance().simulateStep();
    // W (pitch -300) pushes about R·(-1, 0, 0) = (1, 0, 0): a torque of
    // -300·60/144·step along x, integrated over one step and damped once.
    glm::vec3 w = ship.actor->angularVelocity();
    float expected =
        (PHYSICS_STEP * STEP_TORQUE_SHARE * -300.0f) * PHYSICS_STEP * (1.0f - 2.0f * PHYSICS_STEP);
    EXPECT_NEAR(w.x, expected, 1e-6);
    EXPECT_NEAR(w.y, 0.0f, 1e-6);
    EXPECT_NEAR(w.z, 0.0f, 1e-6);
}

TEST_F(ShipControlTest, RollAndYawUseTheForwardAndDownAxes) {
    auto body = makeShip({0, 0, 0});
    GameObject ship({0, 0, 0}, glm::quat(1, 0, 0, 0), glm::vec3(1.0f), "spaceshipNew.obj",
                    ObjectKind::Ship, std::move(body));
    shipControl = ShipControl{&ship, 0.0f, 300.0f, 300.0f};
    applyShipControl(shipControl, PHYSICS_STEP);
    PhysicsContext::instance().simulateStep();
    glm::vec3 w = ship.actor->angularVelocity();
    EXPECT_GT(w.z, 0.0f); // roll +300 about (0, 0, 1)
    EXPECT_LT(w.y, 0.0f); // yaw +300 about (0, -1, 0)
    EXPECT_NEAR(w.x, 0.0f, 1e-6);
    EXPECT_NEAR(w.z, -w.y, 1e-6);
}

TEST_F(ShipControlTest, WithoutAShipTheCommandsWait) {
    shipControl = ShipControl{nullptr, 300.0f, 0.0f, 0.0f};
    applyShipControl(shipControl, PHYSICS_STEP);
    EXPECT_EQ(shipControl.pitch, 300.0f);
}

// A key held from one time to another, in seconds of flight.
struct HeldKey {
    int key;
    double from;
    double to;
};

// Turns in all three axes, overlapping, then a straight run in which the
// ship's turn dies away. The times are whole passes at 30, 60 and 144 frames
// a second, so each rate sees the same holds.
const std::vector<HeldKey> KEY_SEQUENCE = {
    {GLFW_KEY_E, 0.0, 1.5},
    {GLFW_KEY_UP, 1.0, 2.5},
    {GLFW_KEY_D, 2.0, 2.4},
    {GLFW_KEY_Q, 3.0, 3.2},
};
constexpr double SEQUENCE_END = 4.5;

// How a pass applies the keys it read: the game's way, or the way the game
// had before every step carried the held command (300 on the first step of a
// pass and nothing on the rest), which the handling was tuned with.
enum class TorqueTiming { EveryStep, FirstStepOfPass };

class Handling : public ShipControlTest {
protected:
    // Flies the key sequence with the game's loop timing at `fps` passes a
    // second; returns the ship's final rotation.
    glm::quat fly(double fps, TorqueTiming timing) {
        const glm::quat start = glm::angleAxis(glm::pi<float>(), glm::vec3(0, 1, 0));
        auto body = makeShip({0, 0, 0});
        body->setGlobalPose({0, 0, 0}, start);
        GameObject ship({0, 0, 0}, start, glm::vec3(1.0f), "spaceshipNew.obj", ObjectKind::Ship,
                        std::move(body));
        shipControl = ShipControl{&ship, 0.0f, 0.0f, 0.0f};
        LoopScheduler scheduler(1000, 0.0);
        // Whole passes only: the clock of pass n reads n / fps.
        for (int pass = 1; double(pass) / fps <= SEQUENCE_END + 1e-9; ++pass) {
            const double now = double(pass) / fps;
            scheduler.beginPass(now);
            readShipKeys(
                [&](int key) {
                    for (const HeldKey& held : KEY_SEQUENCE) {
                        if (held.key == key && held.from <= now - 1e-9 && now - 1e-9 < held.to) {
                            return true;
                        }
                    }
                    return false;
                },
                shipControl);
            bool first = true;
            scheduler.runSteps([] { return true; },
                               [&] {
                                   if (timing == TorqueTiming::EveryStep) {
                                       applyShipControl(shipControl, PHYSICS_STEP);
                                   } else {
                                       applyFirstStepOnly(ship, first);
                                   }
                                   first = false;
                                   PhysicsContext::instance().simulateStep();
                                   ship.position = ship.actor->position();
                                   ship.rotation = ship.actor->rotation();
                               });
        }
        shipControl = ShipControl{};
        return ship.getRotation();
    }

    void applyFirstStepOnly(GameObject& ship, bool first) {
        const glm::quat r = ship.getRotation();
        const float s = first ? PHYSICS_STEP : 0.0f;
        ship.actor->addTorque((s * shipControl.pitch) * (r * glm::vec3(-1, 0, 0)));
        ship.actor->addTorque((s * shipControl.roll) * (r * glm::vec3(0, 0, 1)));
        ship.actor->addTorque((s * shipControl.yaw) * (r * glm::vec3(0, -1, 0)));
        ship.actor->setLinearVelocity(35.0f * (r * glm::vec3(0, 0, 1)));
    }
};

// The angle in degrees between where two rotations point the nose, and
// between where they point the ship's top.
float noseDegrees(const glm::quat& a, const glm::quat& b) {
    const float c = glm::dot(a * glm::vec3(0, 0, 1), b * glm::vec3(0, 0, 1));
    return glm::degrees(std::acos(glm::clamp(c, -1.0f, 1.0f)));
}
float topDegrees(const glm::quat& a, const glm::quat& b) {
    const float c = glm::dot(a * glm::vec3(0, 1, 0), b * glm::vec3(0, 1, 0));
    return glm::degrees(std::acos(glm::clamp(c, -1.0f, 1.0f)));
}

TEST_F(Handling, TheSameKeysTurnTheShipAlikeAtEveryFrameRate) {
    constexpr float TOLERANCE_DEGREES = 1.0f;
    const glm::quat at60 = fly(60.0, TorqueTiming::EveryStep);
    // The sequence turns the ship well away from where it started.
    const glm::quat start = glm::angleAxis(glm::pi<float>(), glm::vec3(0, 1, 0));
    EXPECT_GT(noseDegrees(at60, start), 45.0f);
    for (double fps : {30.0, 144.0}) {
        SCOPED_TRACE(fps);
        const glm::quat other = fly(fps, TorqueTiming::EveryStep);
        EXPECT_LT(noseDegrees(other, at60), TOLERANCE_DEGREES);
        EXPECT_LT(topDegrees(other, at60), TOLERANCE_DEGREES);
    }
    // At 60 the ship handles as it did when only a pass's first step turned it.
    const glm::quat before = fly(60.0, TorqueTiming::FirstStepOfPass);
    EXPECT_LT(noseDegrees(before, at60), TOLERANCE_DEGREES);
    EXPECT_LT(topDegrees(before, at60), TOLERANCE_DEGREES);
    // That old way turned the ship far harder at 144 frames a second.
    EXPECT_GT(noseDegrees(fly(144.0, TorqueTiming::FirstStepOfPass), at60), 10.0f);
}

} // namespace
