#include "GameProcess.h"
#include "LevelWriter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// A level that never ends on its own: one ring far ahead.
LevelWriter endlessLevel() {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    level.addMeshNode("ring_0", "ring", torusMesh(4.0f, 0.4f), {0, 0, -5000}, glm::quat(1, 0, 0, 0),
                      glm::vec3(1.0f), discMesh(3.6f, 0.5f));
    return level;
}

// The game's data, as a working folder's res/ would hold it, at `folder`.
void writeGameData(const fs::path& folder) {
    TempDir staging;
    prepareGameFolder(staging.path(), 320, 180);
    writeTestShip(staging.path() / "res/assets/models");
    endlessLevel().write(staging.path() / "res/assets/models/worlds/sub2demo_debug.dae");
    fs::create_directories(folder.parent_path());
    fs::copy(staging.path() / "res", folder, fs::copy_options::recursive);
}

std::string fileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The files below `folder`, relative to it.
std::vector<std::string> filesBelow(const fs::path& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_directory()) {
            files.push_back(fs::relative(entry.path(), folder).string());
        }
    }
    return files;
}

void closeCleanly(GameProcess& game) {
    game.requestClose();
    auto code = game.waitForExit(30s);
    ASSERT_TRUE(code) << game.output();
    EXPECT_EQ(*code, 0) << game.output();
}

TEST(AnyFolder, TheDataNamedByTheVariableTheUsersSettingsAndALevelBesideThePlayer) {
    TempDir tmp;
    const fs::path data = tmp.path() / "data";
    writeGameData(data);
    const std::string shippedIni = fileText(data / "config/Kelvaro.ini");
    const fs::path work = tmp.path() / "somewhere else";
    endlessLevel().write(work / "mine/track.dae");
    tmp.write("somewhere else/home/.config/kelvaro19/Kelvaro.ini",
              "[GRAPHICS]\nWINDOW_WIDTH=400\n");

    GameProcess game(work, {"KELVARO19_DATA=" + data.string()}, {"mine/track.dae"});
    ASSERT_NE(game.waitForWindow(60s), 0u) << game.output();
    EXPECT_TRUE(game.waitForTitle("Kelvaro19: Game running @", 30s)) << game.windowTitle();
    const std::string out = game.output();
    EXPECT_NE(
        out.find("[ INFO ]\tGame data from " + data.string() + "/ (named by KELVARO19_DATA).\n"),
        std::string::npos)
        << out;
    // The user's width over the shipped height.
    EXPECT_EQ(runCommand("xdotool getwindowgeometry " + std::to_string(game.windowId()) +
                         " | sed -n 's/.*Geometry: //p'"),
              "400x180");
    closeCleanly(game);
    // Nothing written: neither the shipped settings nor anything in the home.
    EXPECT_EQ(fileText(data / "config/Kelvaro.ini"), shippedIni);
    EXPECT_EQ(filesBelow(work / "home"), std::vector<std::string>{".config/kelvaro19/Kelvaro.ini"});
}

TEST(AnyFolder, AnInstalledCopyFindsItsDataBesideItself) {
    TempDir tmp;
    const fs::path prefix = tmp.path() / "prefix";
    fs::create_directories(prefix / "bin");
    fs::copy_file(KELVARO_GAME_BINARY, prefix / "bin/kelvaro19");
    writeGameData(prefix / "share/kelvaro19");
    const fs::path work = tmp.path() / "empty";
    fs::create_directories(work);

    GameProcess version(work, {}, {"--version"}, prefix / "bin/kelvaro19");
    EXPECT_EQ(version.waitForExit(30s), 0);
    EXPECT_NE(version.output().find("kelvaro19 " KELVARO_VERSION "\n"), std::string::npos)
        << version.output();

    GameProcess game(work, {}, {}, prefix / "bin/kelvaro19");
    ASSERT_NE(game.waitForWindow(60s), 0u) << game.output();
    EXPECT_TRUE(game.flyFromStartScreen(30s)) << game.windowTitle();
    EXPECT_TRUE(game.waitForTitle("Kelvaro19: Game running @", 30s)) << game.windowTitle();
    EXPECT_NE(game.output().find("[ INFO ]\tGame data from " + prefix.string() +
                                 "/share/kelvaro19/ (installed with " + prefix.string() +
                                 "/bin/kelvaro19).\n"),
              std::string::npos)
        << game.output();
    closeCleanly(game);
    EXPECT_TRUE(filesBelow(work / "home").empty());
}

TEST(AnyFolder, WithoutDataItSaysWhereItLookedAndStops) {
    struct Case {
        std::vector<std::string> environment;
        std::vector<std::string> arguments;
        std::vector<std::string> places;
    };
    const std::string installed =
        fs::path(KELVARO_GAME_BINARY).parent_path().parent_path() / "share/kelvaro19/";
    const Case cases[] = {
        {{}, {}, {"res/ in the working folder; ", installed}},
        {{}, {"--check", "level.dae"}, {"res/ in the working folder; ", installed}},
        {{"KELVARO19_DATA=/no/such/data"}, {}, {"/no/such/data/ (KELVARO19_DATA)."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.places.front());
        TempDir work;
        GameProcess game(work.path(), c.environment, c.arguments);
        EXPECT_EQ(game.waitForExit(30s), 1);
        const std::string out = game.output();
        EXPECT_EQ(out.rfind("[ ERROR ]\tNo game data found. Looked in: ", 0), 0u) << out;
        for (const std::string& place : c.places) {
            EXPECT_NE(out.find(place), std::string::npos) << out;
        }
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    }
}

} // namespace
