#include "render/LevelOfDetail.h"

#include "assets/Model.h"
#include "assets/ShapeStores.h"

#include <glm/glm.hpp>

#include <algorithm>
#include <cmath>

namespace {

// Surface area and triangle count of one mesh.
struct Surface {
    double area = 0.0;
    uint64_t triangles = 0;
};

Surface surfaceOf(const Mesh& mesh) {
    Surface surface;
    const std::vector<Vertex>& v = mesh.vertices;
    const std::vector<uint32_t>& index = mesh.indices;
    for (size_t i = 0; i + 2 < index.size(); i += 3) {
        if (index[i] >= v.size() || index[i + 1] >= v.size() || index[i + 2] >= v.size()) {
            continue;
        }
        const glm::vec3 a = v[index[i]].position;
        const glm::vec3 ab = v[index[i + 1]].position - a;
        const glm::vec3 ac = v[index[i + 2]].position - a;
        surface.area += 0.5 * double(glm::length(glm::cross(ab, ac)));
        ++surface.triangles;
    }
    return surface;
}

} // namespace

std::vector<float> levelTriangleSizes(const Model& model, float radius) {
    std::vector<float> sizes;
    for (const std::vector<uint32_t>& level : model.meshLevels) {
        Surface total;
        for (uint32_t position : level) {
            const Surface part = surfaceOf(meshStore().at(position));
            total.area += part.area;
            total.triangles += part.triangles;
        }
        if (total.triangles == 0 || radius <= 0.0f) {
            sizes.push_back(0.0f);
            continue;
        }
        sizes.push_back(float(std::sqrt(total.area / double(total.triangles)) / double(radius)));
    }
    return sizes;
}

int32_t screenDetailLevel(const std::vector<float>& sizes, float radius, float distance, float fovY,
                          float windowHeight, int32_t cap, float nearest) {
    if (cap <= 0 || sizes.empty()) {
        return 0;
    }
    const int32_t finest = std::min(cap, int32_t(sizes.size()) - 1);
    // Pixels per unit of length at that distance: the view's height at
    // distance d is 2 d tan(fovY / 2) units over windowHeight pixels.
    const float halfView = std::tan(0.5f * fovY);
    const float depth = std::max(distance, nearest);
    if (!(halfView > 0.0f) || !(depth > 0.0f) || !(windowHeight > 0.0f)) {
        return finest;
    }
    const float pixelsPerUnit = windowHeight / (2.0f * depth * halfView);
    for (int32_t level = 0; level < finest; ++level) {
        if (sizes[size_t(level)] * radius * pixelsPerUnit <= DETAIL_TRIANGLE_PIXELS) {
            return level;
        }
    }
    return finest;
}
