#include "render/FontLoader.h"
#include "core/Config.h"

#include "GlWindow.h"
#include "TempDir.h"

#include <GL/glew.h>

#include <filesystem>
#include <optional>

namespace {

class FontCache : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        config();
        std::filesystem::create_directories(dir.path() / "res/assets/fonts");
        std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                   dir.path() / "res/assets/fonts/spacejunkXL.ttf");
        std::filesystem::create_directories(dir.path() / "res/shaders");
        for (const char* file : {"text.vert", "text.frag"}) {
            std::filesystem::copy_file(std::filesystem::path(KELVARO_SOURCE_DIR) / "res/shaders" /
                                           file,
                                       dir.path() / "res/shaders" / file);
        }
        cwd.emplace(dir.path());
    }

    TempDir dir;
    std::optional<ScopedWorkingDir> cwd;
};

TEST_F(FontCache, LoadsEachFontOnceWithItsGlyphs) {
    testing::internal::CaptureStdout();
    Font& first = FontLoader::instance().get("spacejunkXL.ttf");
    Font& second = FontLoader::instance().get("spacejunkXL.ttf");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(FontLoader::instance().size(), 1u);
    ASSERT_EQ(first.glyphs.size(), 128u);
    EXPECT_EQ(glIsTexture(first.glyphs.at('k').textureId), GL_TRUE);
    // Creating the cache left the text program current with its projection.
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_NE(current, 0);
}

TEST_F(FontCache, MissingFontIsNamedOnceAndCachedEmpty) {
    testing::internal::CaptureStdout();
    Font& missing = FontLoader::instance().get("nothing.ttf");
    FontLoader::instance().get("nothing.ttf");
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "[ ERROR ]\tFont res/assets/fonts/nothing.ttf cannot be loaded: no such file; its text "
        "is not drawn.\n");
    EXPECT_TRUE(missing.glyphs.empty());
}

TEST_F(FontCache, FontOwnsItsGlyphTexturesAndHandsThemOverOnMove) {
    FontLoader loader;
    uint32_t texture = 0;
    {
        Font font = loader.load("spacejunkXL.ttf");
        texture = font.glyphs.at('Q').textureId;
        Font moved(std::move(font));
        EXPECT_TRUE(font.glyphs.empty());
        EXPECT_EQ(moved.glyphs.at('Q').textureId, texture);
        // The moved-from font goes first and must leave the textures alone.
        { Font gone(std::move(font)); }
        EXPECT_EQ(glIsTexture(texture), GL_TRUE);
    }
    EXPECT_EQ(glIsTexture(texture), GL_FALSE);
}

} // namespace
