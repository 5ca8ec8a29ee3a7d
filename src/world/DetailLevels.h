#pragma once

#include <cstdint>
#include <vector>

struct Model;

// Finer levels of detail made for every asteroid model.
inline constexpr int ASTEROID_DETAIL_LEVELS = 3;

// The most triangles one mesh may have at one finer level. Each level has
// four times the triangles of the one before, so a mesh of up to 4,096
// triangles gets all three levels (the shipped asteroids have 320); one of
// 200,000 would otherwise ask for 12.8 million at the finest level, some
// gigabytes while loading.
inline constexpr uint64_t MAX_DETAIL_TRIANGLES = 262144;

// The finer levels of one model, and how far each of its meshes got.
struct DetailLevels {
    // For each mesh of the model's first level, in order: the number of
    // finer levels made for it (0 to ASTEROID_DETAIL_LEVELS).
    std::vector<int> refinements;
    // Seconds spent subdividing.
    double seconds = 0.0;
};

// Appends ASTEROID_DETAIL_LEVELS levels to a model of one level. Level k
// lists every mesh of level 0, each at its finest refinement up to k that
// stays within MAX_DETAIL_TRIANGLES, so every mesh is drawn at every level
// (a mesh over the budget is drawn as it is). The refinements are appended
// to meshStore() level by level, mesh by mesh, and not uploaded.
DetailLevels addDetailLevels(Model& model);
