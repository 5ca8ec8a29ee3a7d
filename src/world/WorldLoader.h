#pragma once

#include "world/LevelResult.h"

#include <string>

// Reads levels, COLLADA (.dae) or glTF 2.0 (.glb, .gltf), by what the file
// holds. The names of the scene's nodes say what they are: the "Camera" node
// is where the ship starts and the camera that follows it, "Lamp" nodes are
// point lights, mesh nodes whose names contain "roid" or "sun" are
// obstacles, "ring" the rings of the track (numbered by the digits after the
// first "_"), "tcan" trash cans. Only the root's direct children are read; a
// mesh node's first child gives its collision mesh, placed by the child's
// own transform. Each read gives a world of its own; the caller keeps it.
class WorldLoader {
public:
    WorldLoader();

    // The level `name` in levelDirectory(), without logging. Everything
    // wrong is returned as findings; problems with single objects (a missing
    // or uncookable collision child, a lamp out of range, a node left out)
    // still give a world. Problems that leave nothing to play (a file that
    // is not a regular file, nests too deep or cannot be imported, no
    // "Camera" node, no ring or a broken ring numbering, a ring or camera
    // that cannot be placed) give no world and the error line, not yet
    // logged; its reason is then the last finding. Messages of other
    // subsystems (the ship model, meshes) are still logged by them.
    LevelResult read(const std::string& name, LevelLoadTimes* times = nullptr);

    // The same for a level file anywhere: a path relative to the working
    // folder, or absolute. With `upload` false nothing touches OpenGL (no
    // window is needed): the meshes keep their CPU data and are uploaded on
    // their first draw, and materials keep their texture names.
    LevelResult readFile(const std::string& path, const LevelReadOptions& options = {});

    // The folder `read` looks in.
    const std::string& baseDirectory() const { return directory_; }

private:
    std::string directory_;
};
