#pragma once

#include "world/GameObject.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>

struct LevelBuild;
struct Placement;
class CookedMesh;

// The track: rings numbered by their names, put in order at the end of the
// object list, and the ring to fly through first.

// Makes the ring of node `label` (drawn with model `name`) and keeps it under
// its number, or refuses the level when the name gives no number. A second
// ring of a number is left out with a finding. `shared` names the node whose
// meshes this one shares, if any.
void placeRing(const std::string& name, const std::string& label, const std::string& shared,
               const Placement& placement, std::shared_ptr<const CookedMesh> shape,
               LevelBuild& build);

// Moves the rings to the end of the object list in number order, or refuses
// the level and says why the numbering is broken.
void appendRings(LevelBuild& build);

// The list position of the first ring, or −1 without rings.
int32_t firstRingPosition(const std::list<GameObject>& objects);
