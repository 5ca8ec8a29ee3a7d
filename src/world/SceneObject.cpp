#include "world/SceneObject.h"

#include <glm/gtc/matrix_transform.hpp>

glm::mat4 SceneObject::getModelMatrix() const {
    return glm::translate(glm::mat4(1.0f), position) * glm::mat4_cast(rotation);
}
