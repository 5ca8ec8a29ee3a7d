#pragma once

// Draws the quad that covers the whole viewport: attribute 0 the position
// (x, y, z), attribute 1 the texture coordinate (u, v), as a 4-vertex
// triangle strip. Its vertex array is created on first use and kept until
// exit; it is unbound again after the draw.
void drawFullscreenQuad();
