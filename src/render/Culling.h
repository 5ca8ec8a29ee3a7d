#pragma once

#include <glm/glm.hpp>

#include <vector>

struct Model;
struct Vertex;

// A sphere that holds every vertex of something; a negative radius holds
// nothing.
struct BoundingSphere {
    glm::vec3 centre{0.0f};
    float radius = -1.0f;
};

// The sphere around the box of the positions.
BoundingSphere boundsOf(const std::vector<Vertex>& vertices);

// The sphere around every mesh and geometry of every level of a model, in
// the model's own coordinates. The finer levels of an asteroid lie inside
// the hull of the coarse one, but all levels are taken so that nothing a
// level draws can fall outside.
BoundingSphere modelBounds(const Model& model);

// The sphere carried into the world by a model matrix (its largest axis
// scale widens the radius).
BoundingSphere transformBounds(const BoundingSphere& local, const glm::mat4& modelMatrix);

// Whether a world-space sphere lies wholly outside the view volume of
// `projView`, so that nothing of it can reach the picture. An empty sphere
// is outside.
bool outsideView(const BoundingSphere& sphere, const glm::mat4& projView);
