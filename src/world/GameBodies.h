#pragma once

#include "world/GameObject.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>

#include <cstdint>
#include <memory>
#include <string>

class CookedMesh;
class RigidBody;

// The makers of the game's four kinds of object, each with its body already
// in the physics world. Obstacles, trash and rings are static bodies shaped
// by the cooked mesh their model names first in `collisionMeshes`, scaled by
// the object's scale; the ship is a dynamic body shaped by the "coll_" meshes
// of its own model file. A shape that cannot be made (no collision mesh,
// cooking that failed, a cooked mesh of the wrong kind) is reported with one
// ERROR line naming the object, and the object is kept without it: drawn,
// but never touched.

// A static body with one triangle-mesh shape that reports touches with the
// ship (filter 2, 1).
GameObject createObstacle(const glm::vec3& position, const glm::quat& rotation,
                          const glm::vec3& scale, std::string name);
// A static trigger volume of one convex hull that reports the ship entering
// and leaving it (filter 4, 1).
GameObject createTrash(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
                       std::string name);
// As trash, with filter (8, 1).
GameObject createRing(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
                      std::string name);

// The same three with the cooked mesh handed over instead of looked up by
// the object's name: for the level loader, which cooks the meshes itself and
// says what is missing in its own words. A null mesh makes the object
// without a shape and without a message; a mesh of the wrong kind is still
// reported.
GameObject createObstacle(const glm::vec3& position, const glm::quat& rotation,
                          const glm::vec3& scale, std::string name,
                          std::shared_ptr<const CookedMesh> shape);
GameObject createTrash(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
                       std::string name, std::shared_ptr<const CookedMesh> shape);
GameObject createRing(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
                      std::string name, std::shared_ptr<const CookedMesh> shape);

// Whether the ship's drawn meshes are handed to OpenGL as they are stored,
// or left for their first draw (a level read without a window).
enum class MeshUpload { Now, Later };

// The player's ship from a model file in modelDirectory(): every mesh
// whose name contains "coll_" becomes one convex shape of scale 1 (and is
// never drawn); every other mesh whose name contains "graph_" is appended to
// the mesh store to be drawn; the rest is ignored. The drawn meshes are
// registered in the model cache under the file name. The body is dynamic with
// angular damping 2.0 and filter (1, 14). A file that cannot be imported is
// reported ("Assimp: ..."), and the ship is still made, without shapes or
// meshes. With MeshUpload::Now it needs a current OpenGL context.
GameObject createShip(const glm::vec3& position, const glm::quat& rotation, const glm::vec3& scale,
                      const std::string& fileName, MeshUpload upload = MeshUpload::Now);

// Gives every shape of a body the filter words (group, mask).
void setupFiltering(RigidBody& actor, uint32_t group, uint32_t mask);
