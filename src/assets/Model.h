#pragma once

#include <cstdint>
#include <vector>

// A model is a record of store positions, not of meshes: many models and game
// objects share the meshes in the program-wide stores, and positions stay
// valid while the stores grow. Level 0 is the model as loaded; higher levels
// are finer versions of the same meshes. A model whose file failed to import
// has no level at all.
struct Model {
    std::vector<std::vector<uint32_t>> meshLevels;     // positions in meshStore()
    std::vector<std::vector<uint32_t>> geometryLevels; // positions in geometryStore()
    std::vector<uint32_t> collisionMeshes;             // positions in the collision mesh store
};
