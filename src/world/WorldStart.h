#pragma once

#include "world/GameObject.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CookedMesh;
struct World;

// A loaded world as it stood before its first step, kept so that a new run
// can put it back there without reading the level again. A run changes
// only the ship (its pose and motion), the trash (collected cans are
// removed) and the counters; the meshes, the cooked shapes, the textures and
// every obstacle and ring stay as they were built.
class WorldStart {
public:
    // Records `world`, which must not have been stepped yet.
    explicit WorldStart(const World& world);

    // Puts `world` (the one recorded) back at its start: the ship at its
    // start pose and at rest, every can back with a new body in its old
    // place in the list, the counters, the current ring and the removal
    // queue as loaded. Must not be called from inside a physics report.
    void restore(World& world) const;

    std::size_t canCount() const;

private:
    struct Can {
        std::string name;
        glm::vec3 position{0.0f};
        glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
        glm::vec3 scale{1.0f};
        std::shared_ptr<const CookedMesh> shape;
    };
    // Every object in list order; the cans with what it takes to make them
    // again, the rest by kind only (they are never removed).
    struct Entry {
        ObjectKind kind = ObjectKind::Obstacle;
        std::size_t can = 0;
    };
    std::vector<Entry> entries_;
    std::vector<Can> cans_;
    glm::vec3 shipPosition_{0.0f};
    glm::quat shipRotation_{1.0f, 0.0f, 0.0f, 0.0f};
    int32_t currentRing_ = -1;
};
