#pragma once

#include <string>

// The cache finds models by name and the first entry of a name wins, so a
// node whose name is already taken (by a level loaded earlier in the run, or
// a model file) would be drawn and shaped with the other model. Such a
// node's model gets a name of its own: the node's name and "#2", "#3", ...
// Names are given out once per run.
std::string freeModelName(const std::string& name);
