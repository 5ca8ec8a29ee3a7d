#include "render/Text.h"

#include "assets/AssetPaths.h"
#include "core/Log.h"
#include "render/TextShader.h"

#include <GL/glew.h>

#include <string>

namespace {

// Module state shared by every immediate text draw; lives until exit.
GlyphSet startupGlyphSet;
GLuint textVao = 0;
GLuint textVbo = 0;

constexpr GLsizeiptr QUAD_BYTES = sizeof(GlyphQuad);
static_assert(QUAD_BYTES == 96, "six vertices of four floats");

} // namespace

GlyphSet& startupGlyphs() {
    return startupGlyphSet;
}

void initText() {
    TextShader& shader = TextShader::instance();
    glUseProgram(shader.programId);
    shader.setProjection();

    const std::string path = fontDirectory() + GAME_FONT_NAME;
    const FontRead font = readFontFile(path);
    if (!font.problem.empty()) {
        // Named, so that a missing font file is found without a debugger.
        logMessage(LogLevel::ERROR, "Font " + path + " cannot be loaded: " + font.problem +
                                        "; its text is not drawn.");
    } else if (!font.glyphs.count('X')) {
        logMessage(LogLevel::ERROR, "FreeType cannot draw the character X of " + path +
                                        "; the text may be placed wrongly.");
    }
    uploadGlyphs(font, startupGlyphSet);
}

void createTextBuffer() {
    glGenVertexArrays(1, &textVao);
    glGenBuffers(1, &textVbo);
    glBindVertexArray(textVao);
    glBindBuffer(GL_ARRAY_BUFFER, textVbo);
    glBufferData(GL_ARRAY_BUFFER, QUAD_BYTES, nullptr, GL_DYNAMIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

void drawText(std::string text, float x, float y, float scale, const glm::vec3& color) {
    if (textVao == 0) {
        createTextBuffer();
    }
    TextShader& shader = TextShader::instance();
    glUseProgram(shader.programId);
    shader.setTextColor(color);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(textVao);
    for (char c : text) {
        // A missing code gets an empty record: no texture, no size, no advance.
        const Glyph& glyph = startupGlyphSet[int8_t(c)];
        const GlyphQuad quad = glyphQuad(glyph, x, y, scale);
        glBindTexture(GL_TEXTURE_2D, glyph.textureId);
        glBindBuffer(GL_ARRAY_BUFFER, textVbo);
        glBufferSubData(GL_ARRAY_BUFFER, 0, QUAD_BYTES, quad.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        // Text lies over the finished frame.
        glDisable(GL_DEPTH_TEST);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        glEnable(GL_DEPTH_TEST);
        x += glyphAdvance(glyph, scale);
    }
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}
