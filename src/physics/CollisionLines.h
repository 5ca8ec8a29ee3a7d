#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <cstdint>
#include <memory>
#include <vector>

class CookedMesh;
class PhysicsContext;

// What a collision shape belongs to, for its colour on screen.
enum class ShapeKind : int32_t { Obstacle, Trash, Ring, Ship };

// The edges of a cooked collision mesh in the mesh's own frame, two ends per
// edge: the edges of a convex hull (faces on one plane merged), or every
// edge of a triangle mesh once, however many triangles share it. Made once
// per mesh and drawn for every body that carries it.
std::vector<glm::vec3> meshEdges(const CookedMesh& mesh);

// One collision shape of one body, as the physics places it.
struct PlacedShape {
    std::shared_ptr<const CookedMesh> mesh;
    // From the mesh's frame to the world: the body's pose times the shape's
    // scale.
    glm::mat4 place{1.0f};
    ShapeKind kind = ShapeKind::Obstacle;
};

// Every shape of every body in the physics world, in the order the bodies
// were added (a body without shapes gives none). Reads the world only, and
// no mesh's edges, so it is cheap enough for every frame.
std::vector<PlacedShape> placedShapes(const PhysicsContext& physics);
