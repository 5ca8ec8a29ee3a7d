#pragma once

#include "game/Bests.h"
#include "game/Controls.h"
#include "game/KeyPresses.h"
#include "game/Run.h"
#include "game/TrackMenu.h"
#include "game/TrackShelf.h"

#include <memory>

class FreeCamera;

// The game side of the application, from start-up to shutdown: the tracks,
// the one current run, and what outlives a run (the switches, the track
// list, the bests, the free camera).
struct GameSession {
    GameSession(const std::string& levelFolder, const std::string& commandLineLevel)
        : tracks(levelFolder, commandLineLevel) {}

    TrackShelf tracks;
    // The track of the current run.
    std::size_t current = 0;
    // Made for each start and dropped for the next; null only before the
    // first and after shutdown.
    std::unique_ptr<Run> run;
    RenderToggles toggles;
    // The debugging camera, only while Debugging.
    std::unique_ptr<FreeCamera> freeCamera;
    TrackMenu menu;
    std::unique_ptr<BestsStore> bests;
    KeyPresses keys;
    // The scene's brightness outside the dimmed screens.
    float brightness = 1.0f;
};

// The session between startGame and endGame, else null.
GameSession* gameSession();
