#pragma once

#include "core/Config.h"
#include "game/Bests.h"
#include "game/Controls.h"
#include "game/KeyBindings.h"
#include "game/KeyPresses.h"
#include "game/Run.h"
#include "game/TrackShelf.h"
#include "game/menu/Screens.h"
#include "game/menu/Settings.h"
#include "world/Camera.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
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

    // Readies the first track, on the start screen or (`flyAtOnce`, a level
    // named on the command line) flying; false when it cannot be loaded.
    bool begin(bool flyAtOnce = false);
    void setDetailLevel(int32_t level) { toggles_.detailLevel = level; }

    // The window's key events go here.
    KeyPresses& keys() { return keys_; }
    // Acts on one press of a switch key (a GLFW key code).
    void keyPressed(int key);
    // Reads the held flight keys while flying, or moves the free camera.
    void readHeldKeys(const KeyHeld& held, double dt);
    // The mouse over the menus: the pointer in window pixels from the top
    // left (the window's own way), and a click of its left button there.
    void pointerAt(double x, double y);
    void clicked(double x, double y);
    // Set once the player chose Quit.
    bool quitChosen() const { return quit_; }

    // The current run's state, Starting before there is one.
    GameState state() const;
    // Whether the clock and the fixed steps run.
    bool flying() const { return state() == GameState::Running; }
    // Paused, on an end screen or in the track list: a still picture.
    bool waitingForPlayer() const;
    // A flight pauses, with its sounds, because the window went away.
    void pauseForWindow();
    // One fixed step; a run the rules end in it is judged at once.
    void fixedStep();

    std::string title(int32_t fps) const;
    void setFrameRate(int32_t fps) { fps_ = fps; }
    // The scene and everything over it, for a window of this size.
    void draw(float width, float height);

private:
    bool flyTrack(std::size_t index);
    void flyNextTrack();
    void judge();
    bool ended() const;
    // How the current run went, for the track list, when it goes unfinished.
    void noteOutcome();
    TrackSummary summary(std::size_t index) const;
    void enterFreeCamera();
    void leaveFreeCamera();

    // The screens: a key, a chosen line, going back.
    void menuKey(Action action);
    void rebind(int key);
    void choose(std::size_t row);
    void back();
    void openScreen(Screen screen);
    // Ends the start screen or the pause menu: the run flies.
    void fly();
    MenuPage page() const;
    std::size_t rowCount() const;
    void drawEndScreen(float w, float h);
    // The settings screen: its values from the switches as they stand, and
    // a changed value applied at once and saved.
    void readSettings();
    void applySettings();
    void saveSettings();
    void drawOverlayExtras(float w, float h);

    TrackShelf tracks_;
    // The track of the current run.
    std::size_t current_ = 0;
    // Made for each start and dropped for the next; null only before the
    // first and after shutdown.
    std::unique_ptr<Run> run_;
    RenderToggles toggles_;
    // The debugging camera, only while Debugging.
    std::unique_ptr<FreeCamera> freeCamera_;
    ScreenStack screens_;
    // Where the last page drawn put its rows, for the mouse.
    MenuLayout lastLayout_;
    float lastHeight_ = 0.0f;
    double pointerX_ = -1.0, pointerY_ = -1.0;
    // The start screen's camera, slowly round the ship.
    Camera startCamera_;
    // Per track path: how its last unfinished flight went.
    std::map<std::string, std::string> outcomes_;
    int32_t fps_ = 0;
    PlayerSettings settings_;
    // The settings and bindings as last saved.
    Config saved_;
    KeyBindings savedBindings_;
    // The action whose new key the next press is.
    std::optional<Action> rebinding_;
    // A word under the settings (a refused key).
    std::string note_;
    bool quit_ = false;
    std::unique_ptr<BestsStore> bests_;
    KeyPresses keys_;
    // The scene's brightness outside the dimmed screens.
    float brightness_ = 1.0f;
};
