#pragma once

#include "game/Hud.h"

// Where the overlay's word about the sound ("Sound off") goes in a window:
// the top left corner, at the overlay's size.
TextPlacement soundNoticePlacement(float width, float height);

// Draws the word for a short while after M, or the note of a gamepad
// plugged in or out; nothing otherwise.
void drawSoundNotice(double now, float width, float height);
