#pragma once

#include "world/LevelFinding.h"
#include "world/World.h"

#include <optional>
#include <string>
#include <vector>

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

// Why a level gives no world.
enum class LevelFailure {
    None,       // it gave one
    Unreadable, // the file cannot be read: missing, not a regular file, too large, or the
                // importer cannot make a scene of it (a file that is not glTF)
    Malformed,  // it reads, but holds what the importer cannot survive or refuses: export it
                // again
    Unplayable, // the scene imports, but is no level the game can play (no camera, rings)
};

// A level ready to play, or the one line that says why it cannot be played,
// with everything the load found wrong on the way.
struct LevelResult {
    std::optional<World> world;
    std::string error;
    std::vector<LevelFinding> findings;
    LevelFailure failure = LevelFailure::None;
};

// How to read a level.
struct LevelReadOptions {
    // Where the time goes, if wanted.
    LevelLoadTimes* times = nullptr;
    // False: build the level without a window, nothing handed to OpenGL (the
    // level checker, fuzzing).
    bool upload = true;
};
