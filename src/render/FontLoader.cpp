#include "render/FontLoader.h"

#include "assets/AssetPaths.h"
#include "core/Log.h"
#include "render/Text.h"
#include "render/TextShader.h"

#include <GL/glew.h>

FontLoader& FontLoader::instance() {
    static FontLoader loader;
    return loader;
}

FontLoader::FontLoader() : AssetLoader<Font>(fontDirectory()) {
    TextShader& shader = TextShader::instance();
    glUseProgram(shader.programId);
    shader.setProjection();
}

Font FontLoader::load(const std::string& name) {
    const std::string path = directory + name;
    const FontRead font = readFontFile(path);
    if (!font.problem.empty()) {
        logMessage(LogLevel::ERROR, "Font " + path + " cannot be loaded: " + font.problem +
                                        "; its text is not drawn.");
    }
    GlyphSet glyphs;
    uploadGlyphs(font, glyphs);
    return Font(std::move(glyphs));
}
