#pragma once

#include <glm/glm.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Reading a font into glyph bitmaps, without OpenGL: what the text's glyph
// textures are made of.

// A larger font file is refused unread (the shipped one is 300 kB; a font
// with every script of the world is some 20 MB).
inline constexpr std::size_t MAX_FONT_FILE_BYTES = 32u << 20;

// Pixel height every glyph is rendered at.
inline constexpr unsigned GLYPH_PIXEL_HEIGHT = 100;

// A glyph wider or taller than this many pixels is left out: at the height
// above a letter is some 100 pixels, and a broken outline can ask for
// thousands a side.
inline constexpr int MAX_GLYPH_SIDE = 1024;

// One character rendered: one byte of coverage per pixel, rows from the top,
// without padding.
struct GlyphBitmap {
    // Width and height in pixels.
    glm::ivec2 size{0, 0};
    // From the pen position to the bitmap's left and top edge (up is positive).
    glm::ivec2 bearing{0, 0};
    // Horizontal pen advance in 1/64 pixel.
    uint32_t advance = 0;
    std::vector<unsigned char> pixels;
};

// The codes 0 to 127 of a font, or why it cannot be read.
struct FontRead {
    // By character code.
    std::map<int8_t, GlyphBitmap> glyphs;
    // "" when the font was opened; else why not, to follow its name.
    std::string problem;
    // How many of the 128 codes could not be rendered (left out).
    int failed = 0;
    // The font's family name, or "the font" when it has none.
    std::string family;
};

// Renders the font in `bytes` (any format FreeType reads) at
// GLYPH_PIXEL_HEIGHT.
FontRead readFont(std::string_view bytes);

// The same for a file, which must be a regular file of at most
// MAX_FONT_FILE_BYTES.
FontRead readFontFile(const std::string& path);
