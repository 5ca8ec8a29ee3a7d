#pragma once

#include "LevelWriter.h"

#include <glm/gtc/quaternion.hpp>

// The small levels the loader's tests build, in both the window-less and the
// GL layer: a camera, and one far ring so that the level can be played.

inline const glm::quat NO_TURN(1, 0, 0, 0);

inline TestMesh rock() {
    return sphereMesh(1.0f, 10, 6);
}
inline TestMesh can() {
    return boxMesh({0.3f, 0.5f, 0.3f});
}
inline TestMesh ringMesh() {
    return torusMesh(2.0f, 0.3f);
}
inline TestMesh opening() {
    return discMesh(2.0f, 0.2f);
}

inline LevelWriter withCamera() {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    return level;
}

// A level needs a ring to be played: one far away, at the end of the object
// list.
inline void addTrack(LevelWriter& level) {
    level.addMeshNode("ring_0", "trackRing", ringMesh(), {0, 0, 1000}, NO_TURN, glm::vec3(1.0f),
                      opening());
}
inline LevelWriter withTrack() {
    LevelWriter level = withCamera();
    addTrack(level);
    return level;
}
