#pragma once

#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>

#include <optional>
#include <string>
#include <vector>

class GameObject;
struct World;

// The shapes of a built level as the physics has them, in world space, for
// the test pilot and the level checker to reason about: they look at the same
// cooked meshes, poses and scales the game's bodies carry.

// The name a designer gave an object: its model name without the "#2", "#3"
// the model cache appends when a name is loaded twice in one run.
std::string designerName(const std::string& objectName);

// An obstacle's collision surface: its triangles (three corners each) and a
// sphere around them.
struct ObstacleSurface {
    const GameObject* object = nullptr;
    std::vector<glm::vec3> corners;
    glm::vec3 centre{0.0f};
    float radius = 0.0f;

    // Distance from a point to the nearest point of the surface.
    float distanceTo(const glm::vec3& point) const;
    // Whether a point lies inside the surface (taken as closed).
    bool contains(const glm::vec3& point) const;
};

// Every obstacle of the world that has a triangle surface, in list order.
std::vector<ObstacleSurface> obstacleSurfaces(const World& world);

// The opening of a ring: the middle of its drawn mesh (where a player aims),
// and from its trigger volume the axis the hull is thinnest along (the way
// through) and the smaller of its two wide half-extents. Nothing for a ring
// without a convex shape.
struct RingOpening {
    glm::vec3 centre{0.0f};
    glm::vec3 normal{0.0f, 0.0f, 1.0f};
    float radius = 0.0f;
};
std::optional<RingOpening> ringOpening(const GameObject& ring);

// The vertices of an object's drawn meshes (level 0 of its model), in world
// space.
std::vector<glm::vec3> drawnCorners(const GameObject& object);

// The centre of the bounding box of an object's drawn meshes (level 0 of its
// model), in world space; nothing for an object drawn by no vertex.
std::optional<glm::vec3> drawnCentre(const GameObject& object);

// The corners of an object's convex trigger hull in world space (empty for an
// object without one).
std::vector<glm::vec3> hullCorners(const GameObject& object);
