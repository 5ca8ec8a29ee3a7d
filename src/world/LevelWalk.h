#pragma once

#include "world/LevelFormat.h"
#include "world/LevelResult.h"

#include <string>

struct aiScene;

// Builds the World an imported scene describes, in numbered steps:
// 1. every mesh of the scene becomes a mesh of the store, in order;
// 2. each direct child of the root, in order, becomes what its name says
//    (the ship's start, a lamp, an asteroid, obstacle, ring or trash can);
// 3. deeper nodes with a keyword are named and ignored;
// 4. a level without a "Camera" node is refused;
// 5. the rings join the end of the object list in number order;
// 6. the meshes are handed to OpenGL, if wanted;
// 7. the world is made: sky, lights, camera, counters and the first ring.
// The walk stops at the first problem that leaves nothing to play; the
// result then holds no world, the error line and the reason as its last
// finding. The objects built so far go with their bodies; the meshes,
// refinements and models made stay in their stores, which keep every entry
// until exit.
LevelResult buildLevel(const std::string& path, const aiScene* scene, LevelFormat format,
                       const LevelReadOptions& options);
