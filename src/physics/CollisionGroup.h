#pragma once

#include <cstdint>

// The collision groups of the game's bodies. Every body carries two filter
// words: word0 names its own group, word1 the groups whose touches with it
// are reported.
enum CollisionGroup : uint32_t {
    ShipGroup = 1,
    ObstacleGroup = 2,
    TrashGroup = 4,
    RingGroup = 8,
};

struct FilterData {
    uint32_t word0 = 0;
    uint32_t word1 = 0;

    bool operator==(const FilterData&) const = default;
};

// What the filter makes of a pair of bodies that begin to overlap.
enum class PairKind {
    // Ignored for as long as the overlap lasts.
    Dropped,
    // Reported once when a touch begins; never pushed apart.
    Contact,
    // Reported when the overlap begins (found) and when it ends (lost).
    Trigger,
};

struct FilterObject {
    FilterData data;
    bool trigger = false;
};

// The game's pair rule: a trigger always passes, whatever the words; other
// pairs pass only when each one's group is in the other's mask.
PairKind gameFilterShader(const FilterObject& a, const FilterObject& b);
