#pragma once

#include <glm/vec3.hpp>

#include <cstdint>
#include <vector>

class PhysicsContext;

// What a collision shape belongs to, for its colour on screen.
enum class ShapeKind : int32_t { Obstacle, Trash, Ring, Ship };

// One edge of a collision shape in world space.
struct CollisionLine {
    glm::vec3 from;
    glm::vec3 to;
    ShapeKind kind;
};

// The edges of every collision shape in the physics world, where the physics
// has them (the body's pose, the shape's scale and, for the ship, each hull's
// place in its compound): the edges of each convex hull (faces on one plane
// merged) and every triangle of each triangle mesh. Bodies without shapes
// give none. Reads the world only.
std::vector<CollisionLine> collisionLines(const PhysicsContext& physics);
