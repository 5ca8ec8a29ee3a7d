#include "MeshChecks.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

std::size_t edgesNotSharedByTwo(const std::vector<Vertex>& vertices,
                                const std::vector<uint32_t>& indices) {
    using Point = std::tuple<float, float, float>;
    const auto point = [&](uint32_t i) {
        const glm::vec3& p = vertices.at(i).position;
        return Point(p.x, p.y, p.z);
    };
    std::map<std::pair<Point, Point>, int> use;
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
        for (int k = 0; k < 3; ++k) {
            const Point a = point(indices[i + k]), b = point(indices[i + (k + 1) % 3]);
            ++use[{std::min(a, b), std::max(a, b)}];
        }
    }
    return std::size_t(
        std::count_if(use.begin(), use.end(), [](const auto& edge) { return edge.second != 2; }));
}
