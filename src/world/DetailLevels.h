#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
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

// The most triangles all finer levels of one level may have together, some
// 200 MB while loading: a hundred asteroids of 4,096 triangles each with a
// mesh of its own would otherwise ask for 35 million. The shipped tracks
// use a few percent of it.
inline constexpr uint64_t MAX_LEVEL_DETAIL_TRIANGLES = 6000000;

// The refinements one level load has made, so that meshes alike in every
// vertex, index and surface value (a file whose meshes all name one set of
// data) are refined once, and the triangles made so far.
class Refinements {
public:
    // The store position of the mesh at `position` one step finer: made
    // (and stored) now, or the one made before for a mesh alike; none when
    // making it would take the triangles made beyond
    // MAX_LEVEL_DETAIL_TRIANGLES.
    std::optional<uint32_t> finer(uint32_t position);

    // Triangles of all refinements made so far.
    uint64_t triangles() const { return triangles_; }

private:
    // Refinements made, by a hash of their source's content: source and
    // refinement positions.
    std::unordered_multimap<uint64_t, std::pair<uint32_t, uint32_t>> made_;
    uint64_t triangles_ = 0;
};

// The finer levels of one model, and how far each of its meshes got.
struct DetailLevels {
    // For each mesh of the model's first level, in order: the number of
    // finer levels made for it (0 to ASTEROID_DETAIL_LEVELS).
    std::vector<int> refinements;
    // Whether making them would have taken the load beyond
    // MAX_LEVEL_DETAIL_TRIANGLES; the model then keeps its one level.
    bool overBudget = false;
    // Seconds spent subdividing.
    double seconds = 0.0;
};

// Appends ASTEROID_DETAIL_LEVELS levels to a model of one level. Level k
// lists every mesh of level 0, each at its finest refinement up to k that
// stays within MAX_DETAIL_TRIANGLES, so every mesh is drawn at every level
// (a mesh over the budget is drawn as it is). The refinements are appended
// to meshStore() level by level, mesh by mesh, and not uploaded, unless
// `made` has them already. Over the budget of `made` the model is left as
// it was (the refinements made on the way stay in the store).
DetailLevels addDetailLevels(Model& model, Refinements& made);
