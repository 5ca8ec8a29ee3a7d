#include "GameProcess.h"
#include "LevelWriter.h"
#include "TempDir.h"
#include "game/menu/Settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace std::chrono_literals;

namespace {

std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A player's morning: the settings from the start screen, the master volume
// a step down, a new key for nose down, then Quit. The user's own file keeps
// their comment and gets both changes; the game ends with 0.
TEST(Menus, AVolumeAndAKeyChangedInTheMenusAreKeptInTheUsersFile) {
    TempDir dir;
    prepareGameFolder(dir.path(), 640, 360);
    writeTestShip(dir.path() / "res/assets/models");
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    level.addMeshNode("ring_0", "ring", torusMesh(4.0f, 0.4f), {0, 0, -5000}, glm::quat(1, 0, 0, 0),
                      glm::vec3(1.0f), discMesh(3.6f, 0.5f));
    level.write(dir.path() / "res/assets/models/worlds/sub2demo_debug.dae");
    const std::filesystem::path ini = dir.path() / "home/.config/kelvaro19/Kelvaro.ini";
    std::filesystem::create_directories(ini.parent_path());
    std::ofstream(ini) << "; my own settings, keep this line\n[SOUND]\nMUSIC_VOLUME = 0.25\n";

    GameProcess game(dir.path());
    ASSERT_NE(game.waitForWindow(60s), 0u) << game.output();
    ASSERT_TRUE(game.waitForTitle("Kelvaro19: Start @", 30s)) << game.windowTitle();
    for (const char* key : {"Down", "Down", "Return"}) {
        game.tapKey(key);
    }
    ASSERT_TRUE(game.waitForTitle("Kelvaro19: Settings @", 10s)) << game.windowTitle();
    game.screenshot(dir.path() / "settings.png");
    // The master volume, the first line, a step down.
    game.tapKey("Left");
    // The lines of settings, then the first action's keys: nose down, to K.
    for (std::size_t i = 0; i < SETTING_ITEMS; ++i) {
        game.tapKey("Down");
    }
    game.tapKey("Return");
    game.tapKey("k");
    // Back on the start screen, Quit is two lines below Settings.
    for (const char* key : {"Escape", "Down", "Down", "Return"}) {
        game.tapKey(key);
    }
    auto code = game.waitForExit(30s);
    ASSERT_TRUE(code) << game.output();
    EXPECT_EQ(*code, 0);
    const std::string text = readText(ini);
    EXPECT_EQ(text.rfind("; my own settings, keep this line\n", 0), 0u) << text;
    EXPECT_NE(text.find("MUSIC_VOLUME = 0.25\n"), std::string::npos) << text;
    EXPECT_NE(text.find("SOUND_VOLUME = 0.9\n"), std::string::npos) << text;
    EXPECT_NE(text.find("NOSE_DOWN = K"), std::string::npos) << text;
}

} // namespace
