#include "core/LoopScheduler.h"
#include "game/Run.h"
#include "world/GameObject.h"

#include "PhysicsFixtures.h"

#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

using namespace physics_test;

namespace {

using ShipControlTest = PhysicsTest;

TEST_F(ShipControlTest, TorquesActAboutTheShipsOwnAxesAndItFliesAlongItsNose) {
    // The ship as the level places it: turned half a turn about y.
    const glm::quat r = glm::angleAxis(glm::pi<float>(), glm::vec3(0, 1, 0));
    auto body = makeShip({0, 0, 0});
    body->setGlobalPose({0, 0, 0}, r);
    GameObject ship({0, 0, 0}, r, glm::vec3(1.0f), "spaceshipNew.obj", ObjectKind::Ship,
                    std::move(body));
    ShipControl shipControl{&ship, -300.0f, 0.0f, 0.0f};

    applyShipControl(shipControl, PHYSICS_STEP);
    EXPECT_EQ(shipControl.pitch, 0.0f);
    glm::vec3 v = ship.actor->linearVelocity();
    EXPECT_NEAR(v.x, 0.0f, 1e-4);
    EXPECT_NEAR(v.z, -35.0f, 1e-4); // nose along local +z, turned to world -z

    PhysicsContext::instance().simulateStep();
    // W (pitch -300) pushes about R·(-1, 0, 0) = (1, 0, 0): a torque of
    // -300·step along x, integrated over one step and damped once.
    glm::vec3 w = ship.actor->angularVelocity();
    float expected = (PHYSICS_STEP * -300.0f) * PHYSICS_STEP * (1.0f - 2.0f * PHYSICS_STEP);
    EXPECT_NEAR(w.x, expected, 1e-6);
    EXPECT_NEAR(w.y, 0.0f, 1e-6);
    EXPECT_NEAR(w.z, 0.0f, 1e-6);
}

TEST_F(ShipControlTest, RollAndYawUseTheForwardAndDownAxes) {
    auto body = makeShip({0, 0, 0});
    GameObject ship({0, 0, 0}, glm::quat(1, 0, 0, 0), glm::vec3(1.0f), "spaceshipNew.obj",
                    ObjectKind::Ship, std::move(body));
    ShipControl shipControl{&ship, 0.0f, 300.0f, 300.0f};
    applyShipControl(shipControl, PHYSICS_STEP);
    PhysicsContext::instance().simulateStep();
    glm::vec3 w = ship.actor->angularVelocity();
    EXPECT_GT(w.z, 0.0f); // roll +300 about (0, 0, 1)
    EXPECT_LT(w.y, 0.0f); // yaw +300 about (0, -1, 0)
    EXPECT_NEAR(w.x, 0.0f, 1e-6);
    EXPECT_NEAR(w.z, -w.y, 1e-6);
}

TEST_F(ShipControlTest, WithoutAShipTheCommandsWait) {
    ShipControl shipControl{nullptr, 300.0f, 0.0f, 0.0f};
    applyShipControl(shipControl, PHYSICS_STEP);
    EXPECT_EQ(shipControl.pitch, 300.0f);
}

} // namespace
