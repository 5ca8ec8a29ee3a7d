#include "world/GameObject.h"

#include <glm/gtc/matrix_transform.hpp>

GameObject::GameObject(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
                       std::string name, ObjectKind kind, std::unique_ptr<RigidBody> actor)
    : SceneObject(position, rotation), name(std::move(name)), actor(std::move(actor)), scale(scale),
      kind(kind) {
    if (this->actor) {
        this->actor->setUserData(this);
    }
}

GameObject::GameObject(GameObject&& other) noexcept
    : SceneObject(other), name(std::move(other.name)), actor(std::move(other.actor)),
      scale(other.scale), kind(other.kind) {
    if (actor) {
        actor->setUserData(this);
    }
}

GameObject::~GameObject() {
    if (actor) {
        actor->detachShapes();
        actor->release();
    }
}

glm::mat4 GameObject::getModelMatrix() const {
    return SceneObject::getModelMatrix() * glm::scale(glm::mat4(1.0f), scale);
}
