#pragma once

#include "world/LevelFinding.h"

#include <vector>

struct World;

// Reads every texture the game would draw `world` with (the faces of the
// level's own sky, then each mesh's first diffuse texture and first normal
// map, at every level of detail, images embedded in the level included)
// through the game's own reader and its checks, and adds one ERROR finding
// for each texture the game cannot use: at the face's file, or at the first
// node whose material names the texture. Decodes the images, so that a
// file that breaks off after a good header is found too; touches no OpenGL.
void addTextureFindings(const World& world, std::vector<LevelFinding>& findings);
