#include "GlWindow.h"
#include "LevelWriter.h"
#include "LoaderLevels.h"
#include "TempDir.h"

#include "core/LoopScheduler.h"
#include "core/UserFolders.h"
#include "game/Bests.h"
#include "game/GameSession.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <fstream>

namespace {

// A session in a temporary game folder, driven as the loop drives it but
// without drawing: what it does must not wait for a frame.
class Session : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        cwd.emplace(folder.path());
        writeTestShip(folder.path() / "res/assets/models");
        const std::filesystem::path worlds = folder.path() / "res/assets/models/worlds";
        std::filesystem::create_directories(worlds);
        // The ship flies towards -z through one ring.
        LevelWriter level = withCamera();
        level.addMeshNode("ring_0", "trackRing", ringMesh(), {0, 0, -20}, NO_TURN, glm::vec3(1.0f),
                          opening());
        level.write(worlds / "good.dae");
        std::ofstream(worlds / "broken.dae") << "not a level\n";
        std::ofstream(worlds / "tracks.list") << "good.dae | 1 | Good\nbroken.dae | 2 | Broken\n";
        std::filesystem::remove(userDataDir() / BESTS_FILE_NAME);
        session.emplace(worlds.string() + "/", "");
        ASSERT_TRUE(session->begin());
    }
    void TearDown() override {
        session.reset();
        GlTest::TearDown();
    }

    // Fixed steps while the run flies, at most `steps`.
    void fly(int steps) {
        for (int i = 0; i < steps && session->flying(); ++i) {
            session->fixedStep();
        }
    }
    void press(std::initializer_list<int> keys) {
        for (int key : keys) {
            session->keyPressed(key);
        }
    }

    TempDir folder;
    std::optional<ScopedWorkingDir> cwd;
    std::optional<GameSession> session;
};

TEST_F(Session, AFinishIsJudgedWhenTheRulesEndTheRunNotWhenAFrameIsDrawn) {
    press({GLFW_KEY_ENTER});
    fly(2000);
    ASSERT_EQ(session->state(), GameState::Finished);
    // R before any frame: the finish is kept all the same.
    press({GLFW_KEY_R});
    EXPECT_EQ(session->state(), GameState::Running);
    std::ifstream file(userDataDir() / BESTS_FILE_NAME);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(text.find("good.dae"), std::string::npos) << text;
}

TEST_F(Session, AWindowThatGoesAwayPausesTheFlightUntilThePlayerResumes) {
    press({GLFW_KEY_ENTER});
    EXPECT_FALSE(session->waitingForPlayer());
    fly(20);
    session->pauseForWindow();
    EXPECT_EQ(session->state(), GameState::Paused);
    EXPECT_TRUE(session->waitingForPlayer());
    fly(20); // the loop runs no step while paused
    press({GLFW_KEY_P});
    EXPECT_EQ(session->state(), GameState::Running);
    EXPECT_FALSE(session->waitingForPlayer());
    // An ended flight stays as it is.
    fly(2000);
    ASSERT_EQ(session->state(), GameState::Finished);
    session->pauseForWindow();
    EXPECT_EQ(session->state(), GameState::Finished);
    EXPECT_TRUE(session->waitingForPlayer());
}

TEST_F(Session, ATrackThatFailsToLoadLeavesTheFlightAsItWasPausedAndGreysTheTrack) {
    press({GLFW_KEY_ENTER});
    fly(20);
    ASSERT_EQ(session->state(), GameState::Running);
    // The pause menu's Tracks, then the broken track.
    press({GLFW_KEY_ESCAPE, GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_ENTER, GLFW_KEY_DOWN,
           GLFW_KEY_ENTER});
    EXPECT_EQ(session->state(), GameState::Paused);
    EXPECT_EQ(session->title(1), "Kelvaro19: Choosing a track @1FPS");
    // Back to the pause menu, and back again: the old flight goes on where it was.
    press({GLFW_KEY_ESCAPE});
    EXPECT_EQ(session->title(1), "Kelvaro19: Game paused @1FPS");
    press({GLFW_KEY_ESCAPE});
    EXPECT_EQ(session->state(), GameState::Running);
    fly(2000);
    EXPECT_EQ(session->state(), GameState::Finished);
}

// The game opens on the start screen with the clock stopped; Enter flies,
// and the pause menu's last line quits.
TEST_F(Session, TheStartScreenWaitsForThePlayerAndThePauseMenuQuits) {
    EXPECT_EQ(session->title(1), "Kelvaro19: Start @1FPS");
    EXPECT_FALSE(session->flying());
    press({GLFW_KEY_ENTER});
    EXPECT_EQ(session->title(1), "Kelvaro19: Game running @1FPS");
    fly(5);
    press({GLFW_KEY_P});
    EXPECT_EQ(session->state(), GameState::Paused);
    EXPECT_FALSE(session->quitChosen());
    press({GLFW_KEY_UP, GLFW_KEY_ENTER});
    EXPECT_TRUE(session->quitChosen());
}

} // namespace
