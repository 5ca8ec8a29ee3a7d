// Fonts: any bytes read as the game reads a font file, into the glyph
// bitmaps its textures are made of (no OpenGL).
#include "FuzzSupport.h"

#include "assets/FontFile.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const FontRead font = readFont(std::string_view(reinterpret_cast<const char*>(data), size));
    // Every glyph is a whole bitmap of its size, within the bounds; a font
    // that opens counts what it left out.
    for (const auto& [code, glyph] : font.glyphs) {
        if (code < 0 || glyph.size.x < 0 || glyph.size.y < 0 || glyph.size.x > MAX_GLYPH_SIDE ||
            glyph.size.y > MAX_GLYPH_SIDE ||
            glyph.pixels.size() != std::size_t(glyph.size.x) * std::size_t(glyph.size.y)) {
            std::abort();
        }
    }
    if (font.problem.empty() ? font.glyphs.size() + std::size_t(font.failed) != 128
                             : !font.glyphs.empty()) {
        std::abort();
    }
    return 0;
}
