#include "world/DetailLevels.h"

#include "assets/Model.h"
#include "assets/ShapeStores.h"
#include "assets/Subdivision.h"

#include <chrono>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

uint64_t contentHash(const Mesh& mesh) {
    const std::hash<std::string_view> hash;
    const uint64_t vertices =
        hash(std::string_view(reinterpret_cast<const char*>(mesh.vertices.data()),
                              mesh.vertices.size() * sizeof(Vertex)));
    const uint64_t indices =
        hash(std::string_view(reinterpret_cast<const char*>(mesh.indices.data()),
                              mesh.indices.size() * sizeof(uint32_t)));
    return vertices ^ (indices * 0x9E3779B97F4A7C15ull);
}

bool sameSurface(const Material& a, const Material& b) {
    return a.diffuseTextures == b.diffuseTextures && a.normalTextures == b.normalTextures &&
           a.missingTextures == b.missingTextures && a.ambientColor == b.ambientColor &&
           a.diffuseColor == b.diffuseColor && a.emissiveColor == b.emissiveColor &&
           a.specularColor == b.specularColor && a.diffuseIntensity == b.diffuseIntensity &&
           a.expShininess == b.expShininess;
}

// Alike to the bit, so that one's refinement is the other's.
bool alike(const Mesh& a, const Mesh& b) {
    return a.indices == b.indices && a.vertices.size() == b.vertices.size() &&
           std::memcmp(a.vertices.data(), b.vertices.data(), a.vertices.size() * sizeof(Vertex)) ==
               0 &&
           sameSurface(a.material, b.material);
}

} // namespace

std::optional<uint32_t> Refinements::finer(uint32_t position) {
    const Mesh& source = meshStore().at(position);
    const uint64_t key = contentHash(source);
    const auto [first, last] = made_.equal_range(key);
    for (auto it = first; it != last; ++it) {
        if (it->second.first == position || alike(meshStore().at(it->second.first), source)) {
            return it->second.second;
        }
    }
    if (triangles_ + 4 * static_cast<uint64_t>(source.triangleCount) > MAX_LEVEL_DETAIL_TRIANGLES) {
        return std::nullopt;
    }
    Mesh refined = subdivide(source);
    triangles_ += static_cast<uint64_t>(refined.triangleCount);
    const uint32_t stored = meshStore().push(std::move(refined));
    made_.emplace(key, std::make_pair(position, stored));
    return stored;
}

DetailLevels addDetailLevels(Model& model, Refinements& made) {
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
            const std::optional<uint32_t> finer = made.finer(finest[i]);
            if (!finer) {
                model.meshLevels.resize(1);
                result.overBudget = true;
                return result;
            }
            finest[i] = *finer;
            triangles[i] = static_cast<uint64_t>(meshStore().at(finest[i]).triangleCount);
            result.refinements[i] = level;
        }
        model.meshLevels.push_back(finest);
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}
