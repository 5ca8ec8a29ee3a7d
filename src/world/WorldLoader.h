#pragma once

#include "assets/AssetLoader.h"
#include "world/LevelResult.h"
#include "world/ShipStart.h"
#include "world/World.h"

#include <string>

// The cache of levels, keyed by file name, read from
// levelDirectory() (COLLADA scenes). The names of the scene's
// nodes say what they are: the "Camera" node is where the ship starts and
// the camera that follows it, "Lamp" nodes are point lights, mesh nodes whose
// names contain "roid" or "sun" are obstacles, "ring" the rings of the track
// (numbered by the digits after the first "_"), "tcan" trash cans. Only the
// root's direct children are read; a mesh node's first child gives its
// collision mesh, placed by the child's own transform.
class WorldLoader : public AssetLoader<World> {
public:
    WorldLoader();

    // The level, for the cache. The game cannot run without it: each
    // finding is logged as one line naming the level file and the node
    // (errors as ERROR, warnings as INFO), and a level that cannot be played
    // ends the program with exit code 1 after its ERROR line. Needs a
    // current OpenGL context.
    World load(const std::string& name) override;

    // The same without logging or ending the program. Everything wrong is
    // returned as findings; problems with single objects (a missing or
    // uncookable collision child, a lamp out of range, a node left out) still
    // give a world. Problems that leave nothing to play (a file that is not a
    // regular file, nests too deep or cannot be imported, no "Camera" node,
    // no ring or a broken ring numbering, a ring or camera that cannot be
    // placed) give no world and the error line, not yet logged; its reason
    // is then the last finding. Everything built before the problem was
    // found is released again. Messages of other subsystems (the ship model,
    // meshes) are still logged by them.
    LevelResult read(const std::string& name, LevelLoadTimes* times = nullptr);

    // The same for a level file anywhere: a path relative to the working
    // folder, or absolute. With `upload` false nothing touches OpenGL (no
    // window is needed): the meshes keep their CPU data and are uploaded on
    // their first draw, and materials keep their texture names.
    LevelResult readFile(const std::string& path, const LevelReadOptions& options = {});
};
