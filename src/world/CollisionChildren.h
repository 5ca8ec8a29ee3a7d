#pragma once

#include "world/NodeRoles.h"

#include <memory>
#include <string>

struct aiNode;
struct LevelBuild;
struct Model;
class CookedMesh;

// The shape a mesh node's first child gives, cooked with the child's own
// transform (a triangle mesh for asteroids and obstacles, a convex one for
// rings and trash), or null after a finding that says why there is none.
std::shared_ptr<const CookedMesh> cookCollision(const aiNode* node, const std::string& label,
                                                NodeRole role, LevelBuild& build);

// The collision shape a model lists, or null.
std::shared_ptr<const CookedMesh> shapeOf(const Model& model);
