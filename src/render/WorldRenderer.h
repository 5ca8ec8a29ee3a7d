#pragma once

#include <cstdint>

class Camera;
struct World;

// The world's two frame operations, with the settings the player toggles.
// Both draw the objects (obstacles first, only the current ring of the
// track), the sky, the glow and the final blend into the window's
// framebuffer; the caller clears the window before and draws the overlay and
// swaps after. `camera` is the free camera while debugging and the world's
// own camera otherwise.

// The filled frame.
void render(World& world, const Camera& camera, bool bloomEnabled, bool normalMapping,
            int32_t detailLevel);

// The same frame with the objects drawn as lines (the sky stays filled).
void renderWireframe(World& world, const Camera& camera, bool bloomEnabled, bool normalMapping,
                     int32_t detailLevel);
