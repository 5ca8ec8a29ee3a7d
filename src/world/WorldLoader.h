#pragma once

#include "assets/AssetLoader.h"
#include "world/LevelFinding.h"
#include "world/World.h"

#include <optional>
#include <string>
#include <vector>

// The file the ship is built from; the ship object carries it as its name.
inline const std::string shipModelFile = "spaceshipNew.obj";

// Where the time of one level load goes, in seconds.
struct LevelLoadTimes {
    double import = 0.0;      // reading the file
    double meshes = 0.0;      // building the level's meshes on the CPU
    double upload = 0.0;      // handing the meshes and their refinements to OpenGL
    double cooking = 0.0;     // cooking collision meshes
    double subdivision = 0.0; // the finer levels of detail of the asteroids
    double ship = 0.0;        // reading, shaping and uploading the ship model
    double total = 0.0;       // from the file to a ready world
};

// A level ready to play, or the one line that says why it cannot be played,
// with everything the load found wrong on the way.
struct LevelResult {
    std::optional<World> world;
    std::string error;
    std::vector<LevelFinding> findings;
};

// How to read a level.
struct LevelReadOptions {
    // Where the time goes, if wanted.
    LevelLoadTimes* times = nullptr;
    // False: build the level without a window, nothing handed to OpenGL (the
    // level checker, fuzzing).
    bool upload = true;
};

// The cache of levels, keyed by file name, read from
// "res/assets/models/worlds/" (COLLADA scenes). The names of the scene's
// nodes say what they are: the "Camera" node is where the ship starts and
// the camera that follows it, "Lamp" nodes are point lights, mesh nodes whose
// names contain "roid" or "sun" are obstacles, "ring" the rings of the track
// (numbered by the digits after the first "_"), "tcan" trash cans. Only the
// root's direct children are read; a mesh node's first child gives its
// collision mesh. Loading needs a current OpenGL context: the meshes are
// uploaded as they are stored.
class WorldLoader : public AssetLoader<World> {
public:
    WorldLoader();

    // The level, for the cache. The game cannot run without it: a level
    // that cannot be played is reported with one ERROR line and the program
    // ends with exit code 1.
    World load(const std::string& name) override;

    // The same without ending the program. Problems with single objects
    // (a missing collision child, a mesh that cannot be cooked, a missing
    // ship model) are reported as they are met and the level still loads;
    // problems that leave nothing to play (a file that cannot be imported,
    // no "Camera" node, a broken ring numbering) give no world and the error
    // text, not yet logged. Everything built before the problem was found is
    // released again.
    LevelResult read(const std::string& name, LevelLoadTimes* times = nullptr);

    // The same for a level file anywhere: a path relative to the working
    // folder, or absolute.
    LevelResult readFile(const std::string& path, const LevelReadOptions& options = {});
};
