#pragma once

#include "render/Glyph.h"

// A font asset: the glyphs of one TrueType file, owned with their textures.
// Fonts live in the font cache until exit.
class Font {
public:
    GlyphSet glyphs;

    Font() = default;
    explicit Font(GlyphSet glyphs);
    // A moved-from font holds no glyphs and releases nothing.
    Font(Font&& other) noexcept;
    Font& operator=(Font&& other) noexcept;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    // Deletes the texture of every glyph.
    ~Font();

private:
    void release();
};
