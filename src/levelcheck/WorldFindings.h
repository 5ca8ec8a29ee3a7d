#pragma once

#include "world/LevelFinding.h"

#include <vector>

struct World;

// What only a built world shows: first each ring whose opening faces more
// than 60 degrees away from the line from the ring before (or the start),
// then, in the world's object order:
//   a ring whose collision shape does not reach the middle of its opening (the
//   centre of its drawn mesh), so a ship flying through the middle is never
//   counted;
//   a trash can whose centre lies inside an asteroid's collision surface;
//   a texture a level material names that is not a file in the texture folder.
std::vector<LevelFinding> builtWorldFindings(const World& world);
