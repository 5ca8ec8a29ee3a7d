#pragma once

#include "core/GameState.h"
#include "game/Controls.h"

#include <cstdint>
#include <string>

// What the main loop asks of the game. Start-up and the loop (core) call
// these in their fixed order; the game side decides what each one does.

// Start-up after the OpenGL context exists: the tracks, the first run, the
// shader programs, the text and the overlay. `levelFile` is a level file
// anywhere (empty: the first track of the list), flown first and listed at
// the top of the track list; a first track that cannot be played ends the
// program with one ERROR line and exit code 1.
void startGame(const std::string& levelFile = {});
// The finest level of detail the session starts with (the software preset's).
void setStartDetailLevel(int32_t level);
// Drops the run and every loaded track, before the window goes.
void endGame();

// The state of the current run, or Starting before there is one.
GameState currentGameState();
// Whether the current run is flying: the clock and the fixed steps run only then.
bool flying();
// One fixed physics step, one step on the run's clock; the loop calls it
// only while flying.
void runFixedStep();
// Whether the game shows a still picture and waits for the player: paused,
// on an end screen or in the track list. The loop then waits for events
// instead of drawing at the frame cap.
bool waitingForPlayer();
// The window was minimised or lost the keyboard: a flight pauses, with its
// sounds, and goes on only when the player asks. Other states stay.
void pauseForWindow();

// Acts on one press of a switch key (a GLFW key code): P, F4 to F11, R, N,
// Esc, Enter and the list's Up/Down/W/S. F11 (and Alt+Enter, which the key
// events turn into it) switches full screen.
void onKeyPress(int key);
// Once per pass after the window's events: the switch keys pressed since
// the last pass, then the held keys (`held` asks the window). Returns how
// many switch keys it acted on.
int takeInput(const KeyHeld& held, double dt);

// "Kelvaro19: " + state text + " @" + fps + "FPS"; the top screen's name
// ("Start", "Choosing a track", "Settings") while one is open.
std::string windowTitle(int32_t fps);
void updateWindowTitle(int32_t fps);

// Draws one frame into a `width` x `height` framebuffer (never empty: a
// minimised window is not drawn) and swaps the window's buffers. The
// picture, the overlay and the menus follow a change of size at once.
void drawFrame(uint32_t width, uint32_t height);

// The collision lines over the scene (F11 is full screen, as players expect).
inline constexpr int COLLISION_LINES_KEY = 293; // GLFW_KEY_F4

// The end screens' line of what can be done next.
inline constexpr const char* END_HINT = "R fly again \xC2\xB7 N next track \xC2\xB7 Esc tracks";
