#include "render/Culling.h"

#include "assets/Model.h"
#include "assets/ShapeStores.h"
#include "assets/Vertex.h"

#include <algorithm>
#include <limits>

namespace {

void growBox(const std::vector<Vertex>& vertices, glm::vec3& low, glm::vec3& high) {
    for (const Vertex& v : vertices) {
        low = glm::min(low, v.position);
        high = glm::max(high, v.position);
    }
}

BoundingSphere sphereAround(const glm::vec3& low, const glm::vec3& high,
                            const std::vector<const std::vector<Vertex>*>& parts) {
    BoundingSphere sphere;
    if (low.x > high.x) {
        return sphere;
    }
    sphere.centre = 0.5f * (low + high);
    float farthest = 0.0f;
    for (const auto* vertices : parts) {
        for (const Vertex& v : *vertices) {
            farthest = std::max(farthest, glm::length(v.position - sphere.centre));
        }
    }
    sphere.radius = farthest;
    return sphere;
}

} // namespace

BoundingSphere boundsOf(const std::vector<Vertex>& vertices) {
    const float big = std::numeric_limits<float>::max();
    glm::vec3 low(big), high(-big);
    growBox(vertices, low, high);
    return sphereAround(low, high, {&vertices});
}

BoundingSphere modelBounds(const Model& model) {
    std::vector<const std::vector<Vertex>*> parts;
    for (const auto& level : model.meshLevels) {
        for (uint32_t index : level) {
            parts.push_back(&meshStore().at(index).vertices);
        }
    }
    for (const auto& level : model.geometryLevels) {
        for (uint32_t index : level) {
            parts.push_back(&geometryStore().at(index).vertices);
        }
    }
    const float big = std::numeric_limits<float>::max();
    glm::vec3 low(big), high(-big);
    for (const auto* vertices : parts) {
        growBox(*vertices, low, high);
    }
    return sphereAround(low, high, parts);
}

BoundingSphere transformBounds(const BoundingSphere& local, const glm::mat4& modelMatrix) {
    if (local.radius < 0.0f) {
        return local;
    }
    const float scale =
        std::max({glm::length(glm::vec3(modelMatrix[0])), glm::length(glm::vec3(modelMatrix[1])),
                  glm::length(glm::vec3(modelMatrix[2]))});
    return {glm::vec3(modelMatrix * glm::vec4(local.centre, 1.0f)), local.radius * scale};
}

bool outsideView(const BoundingSphere& sphere, const glm::mat4& projView) {
    if (sphere.radius < 0.0f) {
        return true;
    }
    // The six clip planes read off the matrix's rows: w ± x, w ± y, w ± z.
    const glm::vec4 row[4] = {
        {projView[0][0], projView[1][0], projView[2][0], projView[3][0]},
        {projView[0][1], projView[1][1], projView[2][1], projView[3][1]},
        {projView[0][2], projView[1][2], projView[2][2], projView[3][2]},
        {projView[0][3], projView[1][3], projView[2][3], projView[3][3]},
    };
    for (int axis = 0; axis < 3; ++axis) {
        for (float side : {1.0f, -1.0f}) {
            const glm::vec4 plane = row[3] + side * row[axis];
            const float reach = sphere.radius * glm::length(glm::vec3(plane));
            if (glm::dot(glm::vec3(plane), sphere.centre) + plane.w < -reach) {
                return true;
            }
        }
    }
    return false;
}
