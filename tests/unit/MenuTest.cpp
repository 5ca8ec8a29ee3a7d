#include "game/menu/Menu.h"
#include "core/Config.h"
#include "game/menu/Screens.h"
#include "game/menu/Settings.h"

#include <gtest/gtest.h>

namespace {

// Every character as wide as a tenth of the text's scale in pixels (the
// overlay's font is measured in the game; here a fixed width keeps the
// figures plain).
float fixedWidth(const std::string& text, float scale) {
    return float(text.size()) * 40.0f * scale;
}

MenuPage listOf(std::size_t count) {
    MenuPage page;
    page.heading = "Choosing a track";
    for (std::size_t i = 0; i < count; ++i) {
        page.rows.push_back({{"Track " + std::to_string(i), "difficulty 2", "not flown yet"}});
    }
    page.rows.front().cells.front() = "A much longer name";
    page.keys = "keys";
    return page;
}

TEST(Menu, ColumnsLineUpAndTheMouseFindsTheRowItPointsAt) {
    const MenuPage page = listOf(4);
    const MenuLayout l = layoutMenu(page, 0, 1920, 1080, fixedWidth);
    ASSERT_EQ(l.columns.size(), 3u);
    // The second column starts after the widest first cell, on every row.
    EXPECT_GE(l.columns[1] - l.columns[0], fixedWidth("A much longer name", l.rowScale));
    ASSERT_EQ(l.baselines.size(), 4u);
    // Inside the panel, beside each baseline: that row; outside, none.
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(menuRowAt(l, l.columns[1], l.baselines[i] + 5.0f), i);
    }
    EXPECT_FALSE(menuRowAt(l, l.panelX - 5.0f, l.baselines[0]));
    EXPECT_FALSE(menuRowAt(l, l.columns[0], l.baselines[3] - l.rowHeight));
    // The panel lies behind every row, and within the window.
    EXPECT_LT(l.panelY, l.baselines.back());
    EXPECT_GT(l.panelY + l.panelHeight, l.baselines.front());
    EXPECT_GE(l.panelX, 0.0f);
    EXPECT_LE(l.panelX + l.panelWidth, 1920.0f);
}

TEST(Menu, AWideListShrinksToTheWindowAndALongOneScrollsToTheCursor) {
    MenuPage wide = listOf(2);
    wide.rows[0].cells[0] = std::string(200, 'W');
    const MenuLayout narrow = layoutMenu(wide, 0, 800, 450, fixedWidth);
    EXPECT_GE(narrow.panelX, 0.0f);
    EXPECT_LE(narrow.panelX + narrow.panelWidth, 800.0f);

    const MenuPage page = listOf(40);
    const MenuLayout top = layoutMenu(page, 0, 1920, 1080, fixedWidth);
    ASSERT_LT(top.baselines.size(), 40u);
    EXPECT_EQ(top.first, 0u);
    const MenuLayout bottom = layoutMenu(page, 39, 1920, 1080, fixedWidth);
    EXPECT_EQ(bottom.first + bottom.baselines.size(), 40u);
    EXPECT_EQ(menuRowAt(bottom, bottom.columns[0], bottom.baselines.back() + 2.0f), 39u);
}

TEST(Menu, TheCursorWrapsRoundAtEitherEnd) {
    EXPECT_EQ(menuUp(0, 5), 4u);
    EXPECT_EQ(menuDown(4, 5), 0u);
    EXPECT_EQ(menuDown(1, 5), 2u);
    EXPECT_EQ(menuUp(9, 5), 3u) << "a cursor past a list that shrank";
    EXPECT_EQ(menuDown(0, 0), 0u);
}

TEST(Screens, ATrackSaysItsBestOrHowFarItWasFlown) {
    struct Case {
        TrackSummary track;
        std::vector<std::string> cells;
    };
    const Case cases[] = {
        {{"Drift Belt", 1, std::nullopt, 0, ""}, {"Drift Belt", "difficulty 1", "not flown yet"}},
        {{"Amber Reach", 2, std::nullopt, 0, "crashed at ring 7"},
         {"Amber Reach", "difficulty 2", "crashed at ring 7"}},
        {{"mine.dae", 0, 38.12, 1200, "not finished"},
         {"mine.dae", "your level", "best 0:38.12 \xC2\xB7 1200 points"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(trackCells(c.track), c.cells);
    }
    const MenuPage list = tracksPage({cases[0].track, cases[1].track}, {"", "it is broken"}, 1);
    EXPECT_FALSE(list.rows[0].greyed);
    EXPECT_TRUE(list.rows[1].greyed);
    EXPECT_EQ(list.note, "it is broken");
    EXPECT_EQ(startPage(cases[0].track).rows.size(), START_ITEMS);
    EXPECT_EQ(pausePage(cases[0].track, 1.0).rows.size(), PAUSE_ITEMS);
}

TEST(Screens, GoingBackFindsTheLineWhereItWasLeft) {
    ScreenStack screens;
    screens.open(Screen::Pause);
    screens.setCursor(2);
    screens.open(Screen::Tracks, 4);
    EXPECT_EQ(screens.top(), Screen::Tracks);
    EXPECT_EQ(screens.cursor(), 4u);
    EXPECT_TRUE(screens.has(Screen::Pause));
    screens.back();
    EXPECT_EQ(screens.top(), Screen::Pause);
    EXPECT_EQ(screens.cursor(), 2u);
    screens.back();
    EXPECT_TRUE(screens.empty());
}

// Each line steps within its ends; the render scale offers "automatic" only
// where the software preset chose the picture's pixels, and choosing a scale
// of one's own and then automatic again gives the preset's pixels back.
TEST(Settings, LinesStepWithinTheirEndsAndTheScaleReturnsToThePresets) {
    PlayerSettings s;
    EXPECT_FALSE(changeSetting(s, SettingItem::MasterVolume, +1));
    EXPECT_TRUE(changeSetting(s, SettingItem::MasterVolume, -1));
    EXPECT_EQ(s.masterVolume, 90);
    EXPECT_TRUE(changeSetting(s, SettingItem::GlowPasses, +1));
    EXPECT_EQ(s.glowPasses, 50);
    EXPECT_TRUE(changeSetting(s, SettingItem::FullScreen, -1));
    EXPECT_TRUE(s.fullScreen);
    EXPECT_FALSE(changeSetting(s, SettingItem::RenderScale, +1));
    for (int i = 0; i < 5; ++i) {
        changeSetting(s, SettingItem::RenderScale, -1);
    }
    EXPECT_EQ(s.renderScale, 25);

    Config preset;
    preset.scenePixels = preset.presetScenePixels = 800 * 450;
    PlayerSettings p = playerSettings(preset);
    EXPECT_EQ(p.renderScale, 0);
    EXPECT_TRUE(changeSetting(p, SettingItem::RenderScale, +1));
    applyPlayerSettings(p, preset);
    EXPECT_EQ(preset.scenePixels, 0u);
    EXPECT_FLOAT_EQ(preset.renderScale, 0.25f);
    EXPECT_TRUE(changeSetting(p, SettingItem::RenderScale, -1));
    applyPlayerSettings(p, preset);
    EXPECT_EQ(preset.scenePixels, 800u * 450u);
    EXPECT_EQ(playerSettings(preset).renderScale, 0);
}

} // namespace
