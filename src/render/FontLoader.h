#pragma once

#include "assets/AssetLoader.h"
#include "render/Font.h"

#include <string>

// The font cache: fonts from fontDirectory() by file name, each rendered once
// into glyph textures.
class FontLoader final : public AssetLoader<Font> {
public:
    // The program's font cache, created on first use (which also makes the
    // text program current and sets its projection) and destroyed at exit
    // with its fonts and their glyph textures.
    static FontLoader& instance();

    FontLoader();

    // The glyphs of fontDirectory() + name; a file that cannot be read logs
    // an ERROR line naming its path and why, and gives a font without
    // glyphs, which draws nothing.
    Font load(const std::string& name) override;
};
