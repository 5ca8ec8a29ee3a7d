#include "render/Font.h"

#include <GL/glew.h>

#include <utility>

Font::Font(GlyphSet glyphs) : glyphs(std::move(glyphs)) {}

Font::Font(Font&& other) noexcept : glyphs(std::exchange(other.glyphs, {})) {}

Font& Font::operator=(Font&& other) noexcept {
    if (this != &other) {
        release();
        glyphs = std::exchange(other.glyphs, {});
    }
    return *this;
}

Font::~Font() {
    release();
}

void Font::release() {
    for (auto& [code, glyph] : glyphs) {
        if (glyph.textureId != 0) {
            glDeleteTextures(1, &glyph.textureId);
        }
    }
    glyphs.clear();
}
