#pragma once

#include <string>

// Writes the player's ship as a Wavefront OBJ with its MTL: drawn parts named "graph_...",
// convex collision parts named "coll_...", nose along +Z, about 3.4 units long.
bool writeShipModel(const std::string& objPath, const std::string& mtlPath);
