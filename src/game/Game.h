#pragma once

#include <cstdint>
#include <string>

// What the main loop asks of the game. Start-up and the loop (core) call
// these in their fixed order; the game side decides what each one does.

// Start-up after the OpenGL context exists: the world, the ship, the shader
// programs, the text and the overlay. `levelFile` is a level file anywhere
// (empty: the shipped level); one that cannot be played ends the program with
// one ERROR line and exit code 1.
void startGame(const std::string& levelFile = {});

// Called on every pass while Running, after the flying clock advanced.
void onRunningTime(double totalTime);

// One fixed physics step; the loop calls it only while Running.
void runFixedStep();

// "Kelvaro19: " + state text + " @" + fps + "FPS".
std::string windowTitle(int32_t fps);
void updateWindowTitle(int32_t fps);

// Draws one frame and swaps the window's buffers.
void drawFrame();
