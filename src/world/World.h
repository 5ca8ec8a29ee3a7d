#pragma once

#include "core/GameState.h"
#include "world/Camera.h"
#include "world/GameObject.h"
#include "world/Light.h"

#include <glm/vec3.hpp>

#include <cstdint>
#include <list>
#include <string>
#include <vector>

// The loaded level: its game objects with their bodies, the lights, the
// camera that follows the ship, and the counters of the trash hunt and the
// track. The track shelf owns each level's world until exit; it is
// destroyed before the physics context, so every body is released first.
//
// The list never moves its elements, and moving the whole world moves the
// list's nodes, not the objects: the camera, the ship controls and every
// body's user data point at objects inside it and stay valid.
struct World {
    World() = default;
    World(World&&) noexcept = default;
    World& operator=(World&&) noexcept = default;
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The ship, obstacles and trash in scene order, then the rings by
    // number. Positions count from 0 at the front. Only trash is ever
    // removed, so every removal lies before every ring.
    std::list<GameObject> objects;
    // Cube map of the sky.
    std::string skyboxName;
    glm::vec3 ambient{1.0f};
    // The level format has no directional light; the list stays empty and
    // exists so that lights reach the programs kind by kind.
    std::vector<Light*> directionalLights;
    std::vector<PointLight> pointLights;
    // The node name of each point light, in the same order.
    std::vector<std::string> pointLightNames;
    // Follows the ship inside `objects`.
    StickyCamera camera;
    // Not owned; null after loading, set by start-up before the loop runs.
    GameState* gameStatePtr = nullptr;
    int32_t remainingTrash = 0;
    int32_t collectedTrash = 0;
    // List positions, as the list stood when they were queued, of the
    // objects to remove at the start of the next step.
    std::vector<uint32_t> removalQueue;
    // List position of the ring to fly through next; −1 without rings.
    int32_t currentRing = -1;

    // Removes each object named by the queue exactly once (a position queued
    // twice removes one object; a position beyond the list is ignored),
    // lowers `currentRing` by one for each, and empties the queue.
    void processRemovals();
    // Copies each moving body's pose into its object, front to back. Static
    // bodies keep the pose they were built with, so a level of thousands of
    // them costs no more per step than an empty one.
    void syncFromPhysics();
    // Says that objects or their bodies were replaced (a run put back at its
    // start): the moving ones are found again at the next syncFromPhysics,
    // even where the count stayed the same.
    void objectsReplaced() { ++generation_; }
    // Non-owning pointers to the directional lights, then the point lights,
    // in stored order; valid until the light lists change.
    std::vector<Light*> collectLights();

    // Draws one frame of the level into the window through the glow passes:
    // filled, or with the objects as lines (the sky stays filled). Of the
    // rings only the current one is drawn. The caller clears the window
    // first and draws the overlay and swaps afterwards.
    // `brightness` scales the whole scene (the menus dim it).
    void render(const Camera& camera, bool bloomEnabled, bool normalMapping, int32_t detailLevel,
                float brightness = 1.0f);
    void renderWireframe(const Camera& camera, bool bloomEnabled, bool normalMapping,
                         int32_t detailLevel, float brightness = 1.0f);

private:
    // The objects with a dynamic body, found again whenever the list changed
    // since: a new generation, or another length.
    std::vector<GameObject*> moving_;
    uint64_t generation_ = 0;
    uint64_t movingFor_ = UINT64_MAX;
    size_t movingCount_ = 0;
};
