#include "world/DetailLevels.h"

#include "assets/Model.h"
#include "assets/ShapeStores.h"
#include "assets/Subdivision.h"

#include <chrono>

DetailLevels addDetailLevels(Model& model) {
    DetailLevels result;
    if (model.meshLevels.size() != 1) {
        return result;
    }
    // The finest refinement of each mesh so far, and its triangle count.
    std::vector<uint32_t> finest = model.meshLevels.front();
    std::vector<uint64_t> triangles;
    for (uint32_t position : finest) {
        triangles.push_back(static_cast<uint64_t>(meshStore().at(position).triangleCount));
    }
    result.refinements.assign(finest.size(), 0);
    const auto start = std::chrono::steady_clock::now();
    for (int level = 1; level <= ASTEROID_DETAIL_LEVELS; ++level) {
        for (std::size_t i = 0; i < finest.size(); ++i) {
            // A refinement has four times the triangles of its source; one
            // that would not fit is never made.
            if (result.refinements[i] != level - 1 || triangles[i] * 4 > MAX_DETAIL_TRIANGLES) {
                continue;
            }
            Mesh finer = subdivide(meshStore().at(finest[i]));
            triangles[i] = static_cast<uint64_t>(finer.triangleCount);
            finest[i] = meshStore().push(std::move(finer));
            result.refinements[i] = level;
        }
        model.meshLevels.push_back(finest);
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}
