#pragma once

#include "render/Glyph.h"

#include <glm/glm.hpp>

#include <string>

// Immediate text drawing in window pixels from the start-up glyph set, for
// messages that change rarely; the overlay's display items build their own
// buffers from a cached Font instead.

// The font the game's text uses, in fontDirectory().
inline constexpr const char* GAME_FONT_NAME = "spacejunkXL.ttf";

// Builds the start-up glyph set from fontDirectory() + GAME_FONT_NAME. Needs
// the text program: makes it current and sets its projection (it stays
// current). Failures print their FreeType message and leave the set empty.
void initText();

// Creates the shared 96-byte quad buffer every immediate text draw uses
// (6 vertices of x, y, u, v). Start-up calls it once after initText();
// drawText creates it itself if nobody did.
void createTextBuffer();

// The start-up glyph set; it and its textures live until exit.
GlyphSet& startupGlyphs();

// Draws `text` with its baseline starting at (x, y) in window pixels, every
// glyph metric times `scale`, in `color`. One buffer update and one draw per
// character; a code without a glyph (128 and above) draws nothing and does
// not move the pen. Leaves program 0 current, texture 0 bound on unit 0 and
// the depth test on.
void drawText(std::string text, float x, float y, float scale, const glm::vec3& color);
