#pragma once

#include <glm/gtc/quaternion.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

// Anything in the world with a place and an orientation.
class SceneObject {
public:
    SceneObject() = default;
    SceneObject(const glm::vec3& position, const glm::quat& rotation)
        : position(position), rotation(rotation) {}
    SceneObject(const SceneObject&) = default;
    SceneObject& operator=(const SceneObject&) = default;
    virtual ~SceneObject() = default;

    // Translation × rotation.
    virtual glm::mat4 getModelMatrix() const;
    virtual glm::vec3 getPosition() const { return position; }
    virtual glm::quat getRotation() const { return rotation; }

    glm::vec3 position{0.0f};
    // Expected to be of unit length.
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
};
