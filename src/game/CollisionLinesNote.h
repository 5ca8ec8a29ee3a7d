#pragma once

#include "game/Hud.h"

struct CollisionLineFrame;

// Where the F11 view's note goes in a window: the top left corner, under
// the word about the sound, a little smaller than the overlay's text.
TextPlacement collisionLinesNotePlacement(float width, float height);

// While the F11 view leaves shapes in view out, says so on the screen
// ("Collision lines: showing the nearest 35 of 1,009 shapes in view"), so
// that a shape without lines is not taken for one without a collision
// shape; nothing otherwise.
void drawCollisionLinesNote(const CollisionLineFrame& shown, float width, float height);
