#pragma once

#include "physics/RigidBody.h"
#include "world/SceneObject.h"

#include <cstdint>
#include <memory>
#include <string>

struct Model;

enum class ObjectKind : int32_t {
    Ship = 1,
    Obstacle = 2,
    Trash = 3,
    Ring = 4,
};

// A physical thing of the level: a scene object with a model, a scale and
// the body that carries it in the physics world. The body's user data always
// points back at the object that owns it, so a game object is never copied
// and is moved only into a container that keeps its elements in place.
class GameObject : public SceneObject {
public:
    // Takes over a body that is already built (and usually in the world) and
    // points it at this object.
    GameObject(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
               std::string name, ObjectKind kind, std::unique_ptr<RigidBody> actor);
    // Hands the body over and points it at the new object; the model is
    // looked up again by the new object.
    GameObject(GameObject&& other) noexcept;
    GameObject(const GameObject&) = delete;
    GameObject& operator=(const GameObject&) = delete;
    GameObject& operator=(GameObject&&) = delete;
    // Detaches the body's shapes and releases it, which takes it out of the
    // world.
    ~GameObject() override;

    // Translation × rotation × scale.
    glm::mat4 getModelMatrix() const override;

    // Key of the model in the model cache, and the object's identity.
    std::string name;
    // Found under `name` on first draw; the model cache keeps it in place.
    Model* model = nullptr;
    // Null only in a moved-from object.
    std::unique_ptr<RigidBody> actor;
    glm::vec3 scale{1.0f};
    ObjectKind kind = ObjectKind::Obstacle;
};
