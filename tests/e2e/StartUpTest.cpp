#include "GameProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

TEST(StartUp, OpensTheWindowAndShutsDownCleanlyWhenAskedToClose) {
    TempDir dir;
    prepareGameFolder(dir.path(), 640, 360);
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

TEST(StartUp, WithoutADisplayItFailsWithExitCodeOne) {
    TempDir dir;
    prepareGameFolder(dir.path());
    GameProcess game(dir.path(), {"DISPLAY="});
    auto code = game.waitForExit(30s);
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, 1);
    EXPECT_NE(game.output().find("[ ERROR ]\tFailed to initialize GLFW.\n"), std::string::npos)
        << game.output();
    EXPECT_EQ(game.output().find("Terminating"), std::string::npos);
}

} // namespace
