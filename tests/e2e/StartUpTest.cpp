#include "GameProcess.h"
#include "LevelWriter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace std::chrono_literals;

namespace {

// A game folder whose level never ends on its own: one ring far ahead.
void prepareEndlessGame(const TempDir& dir, int width, int height) {
    prepareGameFolder(dir.path(), width, height);
    writeTestShip(dir.path() / "res/assets/models");
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    level.addMeshNode("ring_0", "ring", torusMesh(4.0f, 0.4f), {0, 0, -5000}, glm::quat(1, 0, 0, 0),
                      glm::vec3(1.0f), discMesh(3.6f, 0.5f));
    level.write(dir.path() / "res/assets/models/worlds/sub2demo_debug.dae");
}

TEST(StartUp, OpensTheWindowAndShutsDownCleanlyWhenAskedToClose) {
    TempDir dir;
    prepareEndlessGame(dir, 640, 360);
    GameProcess game(dir.path());
    ASSERT_NE(game.waitForWindow(60s), 0u) << game.output();
    EXPECT_TRUE(game.waitForTitle("Kelvaro19", 5s));
    EXPECT_NE(game.output().find("[ INFO ]\tInitializing...\n"), std::string::npos);
    EXPECT_NE(game.output().find("[ INFO ]\t.ini parsed successfully.\n"), std::string::npos);
    // The INI is read before the game's own first line.
    EXPECT_LT(game.output().find(".ini parsed"), game.output().find("Initializing..."));

    game.requestClose();
    auto code = game.waitForExit(30s);
    ASSERT_TRUE(code) << game.output();
    EXPECT_EQ(*code, 0);
    EXPECT_NE(game.output().find("[ INFO ]\tTerminating...\n"), std::string::npos);
}

TEST(StartUp, TheUsersBindingsAndPadMappingsAreReadAndTheirMistakesNamed) {
    TempDir dir;
    prepareEndlessGame(dir, 320, 180);
    dir.write("home/.config/kelvaro19/Kelvaro.ini",
              "; mine\n[CONTROLS]\nPAUSE = HYPER\nFLY_AGAIN = K\n");
    dir.write("home/.config/kelvaro19/gamecontrollerdb.txt",
              "# my pad\n03000000de280000ff11000001000000,Test Pad,a:b0,b:b1,x:b2,y:b3,"
              "back:b6,start:b7,leftshoulder:b4,rightshoulder:b5,dpup:h0.1,dpdown:h0.4,"
              "dpleft:h0.8,dpright:h0.2,leftx:a0,lefty:a1,platform:Linux,\n");
    GameProcess game(dir.path());
    ASSERT_NE(game.waitForWindow(60s), 0u) << game.output();
    const std::string ini = (dir.path() / "home/.config/kelvaro19/Kelvaro.ini").string();
    EXPECT_TRUE(game.waitForOutput(
        "[ ERROR ]\tRejected PAUSE = HYPER in " + ini + ": \"HYPER\" is no key name", 30s))
        << game.output();
    EXPECT_TRUE(game.waitForOutput(
        "[ INFO ]\tGamepad mappings read from " +
            (dir.path() / "home/.config/kelvaro19/gamecontrollerdb.txt").string(),
        30s))
        << game.output();
    game.requestClose();
    EXPECT_EQ(game.waitForExit(30s), 0) << game.output();
    // Reading is not writing: the user's file is as it was.
    std::ifstream in(ini);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "; mine\n[CONTROLS]\nPAUSE = HYPER\nFLY_AGAIN = K\n");
}

TEST(StartUp, AWindowLargerThanTheDriverDrawsIsNamedAndShrunk) {
    TempDir dir;
    // Wider than any driver's largest frame, yet an int: the window system
    // takes it, the off-screen frames of the glow could not.
    prepareEndlessGame(dir, 2000000, 180);
    GameProcess game(dir.path());
    ASSERT_NE(game.waitForWindow(60s), 0u) << game.output();
    EXPECT_TRUE(game.flyFromStartScreen(30s)) << game.windowTitle();
    EXPECT_TRUE(game.waitForTitle("Kelvaro19: Game running @", 30s)) << game.windowTitle();
    const std::string out = game.output();
    EXPECT_NE(out.find("[ ERROR ]\tRejected WINDOW_WIDTH = 2000000 in res/config/Kelvaro.ini: the "
                       "graphics driver draws frames of at most "),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("Framebuffer incomplete"), std::string::npos) << out;
    EXPECT_EQ(runCommand("xdotool getwindowgeometry " + std::to_string(game.windowId()) +
                         " | sed -n 's/.*Geometry: //p'"),
              "1920x180");
    game.requestClose();
    auto code = game.waitForExit(30s);
    ASSERT_TRUE(code) << game.output();
    EXPECT_EQ(*code, 0);
}

TEST(StartUp, WithoutADisplayItFailsWithExitCodeOne) {
    TempDir dir;
    prepareGameFolder(dir.path());
    GameProcess game(dir.path(), {"DISPLAY="});
    auto code = game.waitForExit(30s);
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, 1);
    EXPECT_NE(game.output().find("[ ERROR ]\tFailed to initialize GLFW.\n[ ERROR ]\tGLFW says: "
                                 "X11: The DISPLAY environment variable is missing\n"),
              std::string::npos)
        << game.output();
    EXPECT_EQ(game.output().find("Terminating"), std::string::npos);
}

} // namespace
