#include "core/GameState.h"

const char* gameStateTitle(GameState state) {
    switch (state) {
    case GameState::Running:
        return "Game running";
    case GameState::Paused:
        return "Game paused";
    case GameState::Finished:
        return "Game finished";
    case GameState::GameOver:
        return "Game over";
    case GameState::Debugging:
        return "Debugging";
    case GameState::Starting:
        break;
    }
    return "";
}
