#pragma once

#include <string>
#include <vector>

// What the names of a level's nodes make of them. A name contains a word
// when the word occurs anywhere in it, case-sensitive.

// What a mesh node becomes, by the first word its name contains (roid, sun,
// ring, tcan, in this order).
enum class NodeRole { Asteroid, Sun, Ring, Trash, Nothing };

NodeRole roleOf(const std::string& name);

// The role as words for a message: "an asteroid", "an obstacle", "a ring",
// "a trash can", "nothing".
const char* becomes(NodeRole role);

// The keywords a name contains, each quoted ("\"roid\""), in the order of
// the roles.
std::vector<std::string> keywordsIn(const std::string& name);

// A node without meshes is the ship's start when its name contains "Camera",
// else a lamp when it contains "Lamp".
bool namesCamera(const std::string& name);
bool namesLamp(const std::string& name);

// Parts joined with ", " and the last one with `last` ("a, b and c").
std::string joined(const std::vector<std::string>& parts, const std::string& last);
