#pragma once

#include "levelcheck/Difficulty.h"

#include <vector>

struct PilotReport;
struct World;

// The rings where any of the player-like flights that reached them lost
// time coming round (to line up, or to try again after a miss), in track
// order, each with the reason the level gives for it: an opening too small,
// a ring turned away from the line into it, or a turn sharper than the ship
// flies in the room before it.
std::vector<LoopAtRing> findLoops(const World& world, const std::vector<PilotReport>& flights);
