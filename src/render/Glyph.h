#pragma once

#include "assets/FontFile.h"

#include <glm/glm.hpp>

#include <array>
#include <cstdint>
#include <map>
#include <string>

// One character of a font, rendered once into a single-channel texture.
struct Glyph {
    uint32_t textureId = 0;
    // Bitmap width and height in pixels.
    glm::ivec2 size{0, 0};
    // From the pen position to the bitmap's left and top edge (up is positive).
    glm::ivec2 bearing{0, 0};
    // Horizontal pen advance in 1/64 pixel.
    uint32_t advance = 0;
};

// The glyphs of a font by character code. Codes 128 and above are negative.
using GlyphSet = std::map<int8_t, Glyph>;

// Makes one texture of each glyph of `font` into `glyphs`. A font that
// could not be read (which its reader reports) adds nothing; glyphs it could
// not render are counted in one ERROR line. Sets the pixel unpack alignment
// to 1 for the rest of the run (glyph rows are not padded).
void uploadGlyphs(const FontRead& font, GlyphSet& glyphs);

// Two triangles of a glyph at pen position (x, y) scaled by `scale`, as
// (x, y, u, v) vertices in window pixels, v = 0 at the glyph's top to match
// FreeType's top-down bitmap rows.
using GlyphQuad = std::array<std::array<float, 4>, 6>;
GlyphQuad glyphQuad(const Glyph& glyph, float x, float y, float scale);

// How far the pen moves after the glyph: whole pixels (the 1/64 fraction is
// dropped), times the scale.
float glyphAdvance(const Glyph& glyph, float scale);

// The box a line of text covers on screen, in window pixels, and where its
// pen ends. An empty line (or one of glyphs without bitmaps) covers nothing:
// left > right.
struct TextExtent {
    float left = 0.0f, right = -1.0f;
    float bottom = 0.0f, top = -1.0f;
    float penEnd = 0.0f;

    float width() const { return right > left ? right - left : 0.0f; }
    bool empty() const { return right < left; }
};

// Measures `text` drawn from pen position (x, y) at `scale` with `glyphs`:
// the union of its glyph quads. A code the set lacks covers nothing and does
// not move the pen, as drawing treats it.
TextExtent measureText(const GlyphSet& glyphs, const std::string& text, float x, float y,
                       float scale);
