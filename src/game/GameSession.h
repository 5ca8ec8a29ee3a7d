#pragma once

#include "game/Bests.h"
#include "game/Controls.h"
#include "game/KeyPresses.h"
#include "game/Run.h"
#include "game/TrackMenu.h"
#include "game/TrackShelf.h"

#include <cstdint>
#include <memory>
#include <string>

class FreeCamera;

// The game side of the application, from start-up to shutdown: the tracks,
// the one current run, and what outlives a run (the switches, the track
// list, the bests, the free camera). Game.cpp owns the one session between
// startGame and endGame; the loop reaches it only through Game.h.
class GameSession {
public:
    GameSession(const std::string& levelFolder, const std::string& commandLineLevel);
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    // Flies the first track; false when it cannot be loaded.
    bool begin();
    void setDetailLevel(int32_t level) { toggles_.detailLevel = level; }

    // The window's key events go here.
    KeyPresses& keys() { return keys_; }
    // Acts on one press of a switch key (a GLFW key code).
    void keyPressed(int key);
    // Reads the held flight keys while flying, or moves the free camera.
    void readHeldKeys(const KeyHeld& held, double dt);

    // The current run's state, Starting before there is one.
    GameState state() const;
    // Whether the clock and the fixed steps run.
    bool flying() const { return state() == GameState::Running; }
    void addFlyingTime(double seconds);
    // One fixed step; a run the rules end in it is judged at once.
    void fixedStep();

    std::string title(int32_t fps) const;
    // The scene and everything over it, for a window of this size.
    void draw(float width, float height);

private:
    bool flyTrack(std::size_t index);
    void flyNextTrack();
    void judge();
    bool ended() const;
    std::vector<TrackMenu::Line> menuLines() const;
    void enterFreeCamera();
    void leaveFreeCamera();

    TrackShelf tracks_;
    // The track of the current run.
    std::size_t current_ = 0;
    // Made for each start and dropped for the next; null only before the
    // first and after shutdown.
    std::unique_ptr<Run> run_;
    RenderToggles toggles_;
    // The debugging camera, only while Debugging.
    std::unique_ptr<FreeCamera> freeCamera_;
    TrackMenu menu_;
    std::unique_ptr<BestsStore> bests_;
    KeyPresses keys_;
    // The scene's brightness outside the dimmed screens.
    float brightness_ = 1.0f;
};
