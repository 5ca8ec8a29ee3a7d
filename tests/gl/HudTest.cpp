#include "game/Hud.h"

#include "render/FontLoader.h"
#include "render/Text.h"
#include <GL/glew.h>

#include "GlWindow.h"
#include "TempDir.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The overlay with the game's own font and text program, read from a
// working folder holding copies of the repository's files.
class HudTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        const fs::path source = KELVARO_SOURCE_DIR;
        fs::create_directories(dir.path() / "res/shaders");
        fs::copy(source / "res/shaders", dir.path() / "res/shaders", fs::copy_options::recursive);
        fs::create_directories(dir.path() / "res/assets/fonts");
        fs::copy(source / "res/assets/fonts/spacejunkXL.ttf",
                 dir.path() / "res/assets/fonts/spacejunkXL.ttf");
        cwd = std::make_unique<ScopedWorkingDir>(dir.path());
    }
    void TearDown() override {
        cwd.reset();
        GlTest::TearDown();
    }

    const GlyphSet& glyphs() { return FontLoader::instance().get(GAME_FONT_NAME).glyphs; }

    TempDir dir;
    std::unique_ptr<ScopedWorkingDir> cwd;
};

TEST_F(HudTest, AnItemAdvancesItsPenByWholePixelsPerGlyph) {
    const GlyphSet& set = glyphs();
    ASSERT_FALSE(set.empty());
    HudText item("12", &set, 360.0f, 100.0f, 0.5f);
    float expected = 360.0f + glyphAdvance(set.at('1'), 0.5f) + glyphAdvance(set.at('2'), 0.5f);
    EXPECT_FLOAT_EQ(item.endX(), expected);
}

TEST_F(HudTest, TheTotalFollowsTheCountWithoutOverlapping) {
    Hud& hud = Hud::instance();
    hud.setTotal(18);
    hud.setCollected(0);
    ASSERT_TRUE(hud.totalItem() && hud.collectedItem());
    EXPECT_EQ(hud.totalItem()->text(), "/18");
    EXPECT_EQ(hud.collectedItem()->text(), "0");
    float single = hud.totalItem()->endX();
    // The total starts at its own place, x = 383, or right after the count.
    float slash = glyphAdvance(glyphs().at('/'), 0.5f);
    float digits = glyphAdvance(glyphs().at('1'), 0.5f) + glyphAdvance(glyphs().at('8'), 0.5f);
    EXPECT_FLOAT_EQ(single, std::max(383.0f, hud.collectedItem()->endX()) + slash + digits);
    hud.setCollected(1234);
    EXPECT_EQ(hud.collectedItem()->text(), "1234");
    // A wide count pushes the total right of it rather than under it.
    EXPECT_GT(hud.totalItem()->endX(), single);
    EXPECT_GE(hud.totalItem()->endX() - hud.collectedItem()->endX(),
              glyphAdvance(glyphs().at('/'), 0.5f));
    hud.setTime(125.25);
    EXPECT_EQ(hud.timeItem()->text(), "2:5:25");
}

TEST_F(HudTest, ACharacterWithoutAGlyphIsLeftOut) {
    GlyphSet empty;
    HudText item("abc", &empty, 10.0f, 10.0f, 1.0f);
    EXPECT_FLOAT_EQ(item.endX(), 10.0f);
    item.draw(HUD_COLOR); // draws nothing, and does not fail
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
}

} // namespace
