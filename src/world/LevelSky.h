#pragma once

#include <string>

// The sky a level is drawn with: the cube map named after the level file
// ("amber_reach.dae" is drawn with "amber_reach") when the cube-map folder
// has a folder of that name, and the shipped sky "BSpace" otherwise, so a
// designer gives a level its own sky by adding a folder, and a level without
// one still has stars.
std::string levelSkyName(const std::string& levelPath);

// The sky of a level without one of its own.
extern const char* const SHIPPED_SKY_NAME;
