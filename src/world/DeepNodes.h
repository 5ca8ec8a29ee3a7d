#pragma once

struct aiNode;
struct LevelBuild;

// Nodes below the root's children never become objects: a keyword there
// shows an object the designer meant to place, and gets a warning. A mesh
// node's first child is its collision shape and carries the keyword of its
// parent by custom.
void reportDeepKeywordNodes(const aiNode* root, LevelBuild& build);
