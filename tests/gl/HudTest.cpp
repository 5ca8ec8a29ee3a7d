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
    EXPECT_EQ(hud.timeItem()->text(), "2:05.25");
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

namespace {

using Box = TextExtent;

void expectInside(const Box& box, float width, float height, const std::string& what) {
    ASSERT_FALSE(box.empty()) << what;
    EXPECT_GE(box.left, 0.0f) << what << " at " << width << "x" << height;
    EXPECT_LE(box.right, width) << what << " at " << width << "x" << height;
    EXPECT_GE(box.bottom, 0.0f) << what << " at " << width << "x" << height;
    EXPECT_LE(box.top, height) << what << " at " << width << "x" << height;
}

TEST_F(HudTest, AFullHeightWindowKeepsTheOverlayWhereItWas) {
    const OverlayLayout layout = overlayLayout(1920.0f, 1080.0f);
    EXPECT_FLOAT_EQ(layout.unit, 1.0f);
    EXPECT_FLOAT_EQ(layout.label.x, 25.0f);
    EXPECT_FLOAT_EQ(layout.label.y, 100.0f);
    EXPECT_FLOAT_EQ(layout.label.scale, 0.5f);
    EXPECT_FLOAT_EQ(layout.collected.x, 360.0f);
    EXPECT_FLOAT_EQ(layout.total.x, 383.0f);
    EXPECT_FLOAT_EQ(layout.time.y, 150.0f);
    EXPECT_FLOAT_EQ(layout.time.scale, 0.3f);
    // A third of the height: a third of every place and size.
    const OverlayLayout small = overlayLayout(640.0f, 360.0f);
    EXPECT_FLOAT_EQ(small.label.y, 100.0f / 3.0f);
    EXPECT_FLOAT_EQ(small.collected.x, 120.0f);
    EXPECT_FLOAT_EQ(small.time.scale, 0.1f);
}

TEST_F(HudTest, EveryOverlayTextStaysInsideTheWindowAndTheEndMessagesAreCentred) {
    const GlyphSet& set = glyphs();
    ASSERT_FALSE(set.empty());
    Hud& hud = Hud::instance();
    hud.setTotal(18);
    hud.setCollected(17);
    hud.setTime(599.99);
    const std::string points = "Points: " + std::to_string(2147483647);
    const std::pair<float, float> sizes[] = {{640, 360},  {800, 450},   {854, 480},
                                             {960, 540},  {640, 480},   {1024, 768},
                                             {1280, 720}, {1920, 1080}, {2560, 1440}};
    for (auto [w, h] : sizes) {
        hud.setWindowSize(w, h);
        expectInside(hud.labelItem().extent(), w, h, "label");
        expectInside(hud.collectedItem()->extent(), w, h, "count");
        expectInside(hud.totalItem()->extent(), w, h, "total");
        expectInside(hud.timeItem()->extent(), w, h, "clock");
        // The count follows the label, and the total the count.
        EXPECT_LT(hud.labelItem().extent().right, hud.collectedItem()->extent().left);
        EXPECT_LT(hud.collectedItem()->extent().right, hud.totalItem()->extent().left);
        Box lowestEnd;
        for (const std::string text : {"GAME OVER", "TRACK FINISHED"}) {
            const TextPlacement at = endMessagePlacement(set, text, w, h);
            const Box box = measureText(set, text, at.x, at.y, at.scale);
            expectInside(box, w, h, text);
            EXPECT_NEAR(box.left + box.right, w, 1.0f) << text << " at " << w << "x" << h;
            lowestEnd = box;
        }
        const TextPlacement at = pointsPlacement(set, points, w, h);
        const Box box = measureText(set, points, at.x, at.y, at.scale);
        expectInside(box, w, h, "points");
        EXPECT_NEAR(box.left + box.right, w, 1.0f) << "points at " << w << "x" << h;
        // Under the message, above the overlay's clock and count.
        EXPECT_LT(box.top, lowestEnd.bottom) << w << "x" << h;
        EXPECT_GT(box.bottom, hud.timeItem()->extent().top) << w << "x" << h;
    }
    hud.setWindowSize(1920.0f, 1080.0f);
}

TEST_F(HudTest, TheClockFollowsEveryChangeOfItsText) {
    Hud& hud = Hud::instance();
    hud.setTime(12.341);
    hud.setTime(12.344);
    EXPECT_EQ(hud.timeItem()->text(), "0:12.34");
    hud.setTime(13.5);
    EXPECT_EQ(hud.timeItem()->text(), "0:13.50");
    // A new window size lays the clock out again with the same text.
    hud.setWindowSize(640.0f, 360.0f);
    EXPECT_EQ(hud.timeItem()->text(), "0:13.50");
    EXPECT_LT(hud.timeItem()->extent().top, 360.0f * 0.5f);
    hud.setWindowSize(1920.0f, 1080.0f);
}

} // namespace
