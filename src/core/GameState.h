#pragma once

#include <cstdint>

// The game's state; 3 is never entered.
enum class GameState : int32_t {
    Starting = 0,
    Running = 1,
    Paused = 2,
    Finished = 4,
    GameOver = 5,
    Debugging = 6,
};

// The state's text in the window title ("" for states without one).
const char* gameStateTitle(GameState state);
