#include "world/Camera.h"

#include "core/CameraDefaults.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

// π/180 as the single-precision constant the settings were tuned with.
constexpr float DEGREES_TO_RADIANS = 0.017453292f;

glm::mat4 lookAlong(const glm::vec3& eye, const glm::quat& rotation) {
    return glm::lookAt(eye, eye + rotation * glm::vec3(0.0f, 0.0f, -1.0f),
                       rotation * glm::vec3(0.0f, 1.0f, 0.0f));
}

} // namespace

Camera::Camera()
    : fovY(cameraDefaults.fovDegrees * DEGREES_TO_RADIANS), aspect(cameraDefaults.aspectRatio),
      farPlane(cameraDefaults.farPlane) {}

Camera::Camera(const glm::vec3& position, const glm::quat& rotation) : Camera() {
    this->position = position;
    this->rotation = rotation;
}

glm::mat4 Camera::getViewMatrix() const {
    return lookAlong(getPosition(), getRotation());
}

glm::mat4 Camera::getProjection() const {
    return glm::perspectiveRH_NO(fovY, aspect, nearPlane, farPlane);
}

StickyCamera::StickyCamera(const SceneObject* target, const glm::vec3& offset,
                           const glm::quat& rotation)
    : Camera(offset, rotation), target(target) {}

glm::vec3 StickyCamera::getPosition() const {
    return target ? target->getPosition() + target->getRotation() * position : position;
}

glm::quat StickyCamera::getRotation() const {
    return target ? target->getRotation() * rotation : rotation;
}

glm::mat4 StickyCamera::getViewMatrix() const {
    return lookAlong(getPosition(), getRotation());
}
