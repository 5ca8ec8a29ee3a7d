#include "game/Input.h"
#include "world/Camera.h"

#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

namespace {

// The debugging camera's keys and mouse look, on the camera the mouse turns.
class FreeCameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        freeCamera = std::make_unique<FreeCamera>(glm::vec3(1, 2, 3), glm::quat(1, 0, 0, 0));
        setMouseLookCamera(freeCamera.get());
    }
    void TearDown() override {
        // Forget the last cursor position for the next test.
        setMouseLookCamera(nullptr);
        freeCamera.reset();
    }
    std::unique_ptr<FreeCamera> freeCamera;
};

void expectNear(const glm::vec3& a, const glm::vec3& b) {
    EXPECT_NEAR(a.x, b.x, 1e-5);
    EXPECT_NEAR(a.y, b.y, 1e-5);
    EXPECT_NEAR(a.z, b.z, 1e-5);
}

TEST_F(FreeCameraTest, MovesAlongItsOwnForwardAndRightAxes) {
    moveForward(*freeCamera, 2.0f);
    expectNear(freeCamera->position, {1, 2, 1});
    moveRight(*freeCamera, -1.0f);
    expectNear(freeCamera->position, {0, 2, 1});
    // Turned a quarter to the left, forward is -x and right is -z.
    freeCamera->rotation = glm::angleAxis(glm::half_pi<float>(), glm::vec3(0, 1, 0));
    moveForward(*freeCamera, 1.0f);
    moveRight(*freeCamera, 1.0f);
    expectNear(freeCamera->position, {-1, 2, 0});
    EXPECT_NEAR(glm::angle(freeCamera->rotation), glm::half_pi<float>(), 1e-6);
}

TEST_F(FreeCameraTest, TheFirstCursorEventOnlyRecordsThePosition) {
    onCursorMove(nullptr, 100.0, 100.0);
    EXPECT_EQ(freeCamera->rotation, glm::quat(1, 0, 0, 0));
    // 0.005 radians per screen unit: yaw about the world's up, left turns left.
    onCursorMove(nullptr, 80.0, 100.0);
    glm::vec3 forward = freeCamera->rotation * glm::vec3(0, 0, -1);
    EXPECT_NEAR(std::atan2(-forward.x, -forward.z), 0.1f, 1e-5);
    EXPECT_NEAR(forward.y, 0.0f, 1e-6);
    // Moving the mouse down pitches about the camera's own right axis.
    onCursorMove(nullptr, 80.0, 140.0);
    forward = freeCamera->rotation * glm::vec3(0, 0, -1);
    EXPECT_NEAR(std::asin(forward.y), -0.2f, 1e-5);
    EXPECT_NEAR(glm::length(freeCamera->rotation), 1.0f, 1e-5);
}

TEST_F(FreeCameraTest, ACursorAtTheWindowsEdgeIsAPositionLikeAnyOther) {
    onCursorMove(nullptr, 0.0, 0.0);
    onCursorMove(nullptr, 20.0, 0.0);
    const glm::vec3 forward = freeCamera->rotation * glm::vec3(0, 0, -1);
    EXPECT_NEAR(std::atan2(-forward.x, -forward.z), -0.1f, 1e-5);
}

TEST_F(FreeCameraTest, CursorEventsWithoutAFreeCameraOnlyRecord) {
    setMouseLookCamera(nullptr);
    freeCamera.reset();
    onCursorMove(nullptr, 10.0, 10.0);
    onCursorMove(nullptr, 20.0, 20.0);
    SUCCEED() << "no camera to turn, and nothing to crash on";
    freeCamera = std::make_unique<FreeCamera>(glm::vec3(0), glm::quat(1, 0, 0, 0));
    setMouseLookCamera(freeCamera.get());
    onCursorMove(nullptr, 30.0, 20.0); // turns from the recorded (20, 20)
    EXPECT_NE(freeCamera->rotation, glm::quat(1, 0, 0, 0));
}

} // namespace
