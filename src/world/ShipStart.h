#pragma once

#include <glm/gtc/quaternion.hpp>

#include <string>

struct LevelBuild;
struct Placement;

// The file the ship is built from; the ship object carries it as its name.
inline const std::string shipModelFile = "spaceshipNew.obj";

// Places the ship where the "Camera" node is, facing along the node's −Z
// with its Y up, and the camera that follows it; refuses the level when the
// node cannot be placed. A mirrored node (a negative scale) still starts the
// ship upright along its −Z as its matrix maps it, where the camera looks,
// with a warning: the importer's decomposition would turn it half round,
// backwards and upside down.
void placeCamera(const std::string& label, const Placement& placement, LevelBuild& build);

// The rotation that turns −Z onto `forward` and Y towards `up`.
glm::quat rotationLookingAlong(const glm::vec3& forward, const glm::vec3& up);
