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
    if (FT_Init_FreeType(&library)) {
        logMessage(LogLevel::ERROR, "FreeType cannot be started; no text is drawn.");
        library = nullptr;
    }
}

FontLoader::~FontLoader() {
    if (library) {
        FT_Done_FreeType(library);
    }
}

Font FontLoader::load(const std::string& name) {
    const std::string path = directory + name;
    FT_Face face = nullptr;
    if (!library || FT_New_Face(library, path.c_str(), 0, &face)) {
        logMessage(LogLevel::ERROR, "Font " + path + " cannot be loaded; its text is not drawn.");
        face = nullptr;
    }
    GlyphSet glyphs;
    buildGlyphSet(face, glyphs);
    return Font(std::move(glyphs));
}
