#pragma once

#include "world/SceneObject.h"

// A view into the world with its perspective. Every camera starts with the
// field of view, aspect ratio and far plane copied from the configuration at
// start-up and never reads them again.
class Camera : public SceneObject {
public:
    Camera();
    Camera(const glm::vec3& position, const glm::quat& rotation);

    // Looks along rotation × (0, 0, −1) with rotation × (0, 1, 0) up.
    virtual glm::mat4 getViewMatrix() const;
    // Right-handed perspective, clip depth −1 to 1.
    glm::mat4 getProjection() const;

    // Vertical, in radians.
    float fovY;
    // Width / height.
    float aspect;
    float nearPlane = 0.1f;
    float farPlane;
};

// The debugging camera that keys and mouse move freely.
class FreeCamera : public Camera {
public:
    using Camera::Camera;
};

// A camera riding along with a target: its own position is an offset in the
// target's frame and its rotation follows the target's. The target is read
// afresh each time, so the view follows the target's last pose.
class StickyCamera : public Camera {
public:
    StickyCamera() = default;
    StickyCamera(const SceneObject* target, const glm::vec3& offset, const glm::quat& rotation);

    glm::vec3 getPosition() const override;
    glm::quat getRotation() const override;
    glm::mat4 getViewMatrix() const override;

    // Not owned; without a target the offset and rotation are world values.
    const SceneObject* target = nullptr;
};
