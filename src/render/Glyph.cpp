#include "render/Glyph.h"

#include "core/Log.h"

#include <GL/glew.h>

#include <algorithm>
#include <string>

void uploadGlyphs(const FontRead& font, GlyphSet& glyphs) {
    // The reader's caller has already reported a font that could not be
    // read; 128 lines about its glyphs would only repeat that.
    if (!font.problem.empty()) {
        return;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (const auto& [code, bitmap] : font.glyphs) {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RED, GLsizei(bitmap.size.x), GLsizei(bitmap.size.y), 0,
                     GL_RED, GL_UNSIGNED_BYTE,
                     bitmap.pixels.empty() ? nullptr : bitmap.pixels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glyphs[code] = Glyph{texture, bitmap.size, bitmap.bearing, bitmap.advance};
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    // One line for the whole font: a broken one would otherwise print 128.
    if (font.failed > 0) {
        logMessage(LogLevel::ERROR, "FreeType cannot draw " + std::to_string(font.failed) +
                                        " of the first 128 characters of " + font.family +
                                        "; they are left out of the text.");
    }
}

GlyphQuad glyphQuad(const Glyph& glyph, float x, float y, float scale) {
    const float left = x + float(glyph.bearing.x) * scale;
    // The part below the baseline, in whole pixels before scaling.
    const float bottom = y - float(glyph.size.y - glyph.bearing.y) * scale;
    const float w = float(glyph.size.x) * scale;
    const float h = float(glyph.size.y) * scale;
    return {{{left, bottom + h, 0.0f, 0.0f},
             {left, bottom, 0.0f, 1.0f},
             {left + w, bottom, 1.0f, 1.0f},
             {left, bottom + h, 0.0f, 0.0f},
             {left + w, bottom, 1.0f, 1.0f},
             {left + w, bottom + h, 1.0f, 0.0f}}};
}

float glyphAdvance(const Glyph& glyph, float scale) {
    return float(glyph.advance >> 6) * scale;
}

TextExtent measureText(const GlyphSet& glyphs, const std::string& text, float x, float y,
                       float scale) {
    TextExtent extent;
    bool any = false;
    for (char c : text) {
        auto found = glyphs.find(int8_t(c));
        if (found == glyphs.end()) {
            continue;
        }
        const Glyph& glyph = found->second;
        if (glyph.size.x > 0 && glyph.size.y > 0) {
            const GlyphQuad quad = glyphQuad(glyph, x, y, scale);
            // Corner 1 is the bottom left, corner 5 the top right.
            const float left = quad[1][0], bottom = quad[1][1];
            const float right = quad[5][0], top = quad[5][1];
            extent.left = any ? std::min(extent.left, left) : left;
            extent.right = any ? std::max(extent.right, right) : right;
            extent.bottom = any ? std::min(extent.bottom, bottom) : bottom;
            extent.top = any ? std::max(extent.top, top) : top;
            any = true;
        }
        x += glyphAdvance(glyph, scale);
    }
    extent.penEnd = x;
    return extent;
}
