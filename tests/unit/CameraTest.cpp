#include "world/Camera.h"
#include "core/CameraDefaults.h"
#include "world/GameObject.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

namespace {

void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

glm::vec3 apply(const glm::mat4& m, const glm::vec3& p) {
    return glm::vec3(m * glm::vec4(p, 1));
}

TEST(Camera, StartsFromTheConfiguredDefaults) {
    const Camera camera;
    EXPECT_EQ(camera.fovY, cameraDefaults.fovDegrees * 0.017453292f);
    EXPECT_EQ(camera.aspect, cameraDefaults.aspectRatio);
    EXPECT_EQ(camera.nearPlane, 0.1f);
    EXPECT_EQ(camera.farPlane, cameraDefaults.farPlane);
    const FreeCamera free({1, 2, 3}, glm::quat(1, 0, 0, 0));
    EXPECT_EQ(free.fovY, camera.fovY);
    EXPECT_EQ(free.getPosition(), glm::vec3(1, 2, 3));
}

TEST(Camera, ProjectionAtNinetyDegreesOnAWideWindow) {
    Camera camera;
    camera.fovY = 90.0f * 0.017453292f;
    camera.aspect = 1920.0f / 1080.0f;
    camera.farPlane = 1000.0f;
    const glm::mat4 p = camera.getProjection();
    EXPECT_NEAR(p[1][1], 1.0f, 1e-6f);
    EXPECT_NEAR(p[0][0], 0.5625f, 1e-6f);
    EXPECT_NEAR(p[2][2], -1000.1f / 999.9f, 1e-6f);
    EXPECT_EQ(p[2][3], -1.0f);
    EXPECT_NEAR(p[3][2], -200.0f / 999.9f, 1e-6f);
    EXPECT_EQ(p[3][3], 0.0f);
    EXPECT_EQ(p[0][1], 0.0f);
    // The near plane lands on clip depth −1, the far one on +1.
    const glm::vec4 nearPoint = p * glm::vec4(0, 0, -0.1f, 1);
    const glm::vec4 farPoint = p * glm::vec4(0, 0, -1000.0f, 1);
    EXPECT_NEAR(nearPoint.z / nearPoint.w, -1.0f, 1e-5f);
    EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, 1e-4f);
}

TEST(Camera, ViewLooksDownItsOwnNegativeZ) {
    const glm::quat turn = glm::angleAxis(glm::radians(90.0f), glm::vec3(0, 1, 0));
    const Camera camera({1, 2, 3}, turn);
    const glm::mat4 view = camera.getViewMatrix();
    expectNear(apply(view, {1, 2, 3}), {0, 0, 0});
    // Turned a quarter left, the camera looks along −x.
    expectNear(apply(view, {0, 2, 3}), {0, 0, -1});
    expectNear(apply(view, {1, 3, 3}), {0, 1, 0});
}

TEST(StickyCamera, RidesAtItsOffsetAndTurnsWithTheShip) {
    GameObject ship({0, 0, 0}, {1, 0, 0, 0}, {1, 1, 1}, "spaceshipNew.obj", ObjectKind::Ship,
                    nullptr);
    const glm::quat lookBack = glm::angleAxis(glm::radians(180.0f), glm::vec3(0, 1, 0));
    const StickyCamera camera(&ship, {0, 3, -10}, lookBack);
    expectNear(camera.getPosition(), {0, 3, -10});

    ship.rotation = glm::angleAxis(glm::radians(90.0f), glm::vec3(0, 1, 0));
    ship.position = {5, 0, 0};
    expectNear(camera.getPosition(), glm::vec3(5, 0, 0) + glm::vec3(-10, 3, 0));
    const glm::quat combined = camera.getRotation();
    EXPECT_NEAR(std::abs(glm::dot(combined, ship.rotation * lookBack)), 1.0f, 1e-6f);

    // The view is the look-at from the world position along the combined
    // rotation: the camera's eye maps to the origin, the ship lies ahead.
    const glm::mat4 view = camera.getViewMatrix();
    const glm::vec3 eye = camera.getPosition();
    const glm::mat4 expected =
        glm::lookAt(eye, eye + combined * glm::vec3(0, 0, -1), combined * glm::vec3(0, 1, 0));
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            EXPECT_NEAR(view[c][r], expected[c][r], 1e-5f);
        }
    }
    const glm::vec3 shipInView = apply(view, ship.position);
    EXPECT_LT(shipInView.z, 0.0f);
    EXPECT_NEAR(shipInView.x, 0.0f, 1e-5f);
}

TEST(StickyCamera, WithoutATargetItsOffsetIsItsPlace) {
    const StickyCamera camera(nullptr, {0, 3, -10}, glm::quat(1, 0, 0, 0));
    EXPECT_EQ(camera.getPosition(), glm::vec3(0, 3, -10));
    EXPECT_EQ(camera.getRotation(), glm::quat(1, 0, 0, 0));
}

} // namespace
