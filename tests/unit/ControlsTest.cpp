#include "game/Controls.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <set>

namespace {

KeyHeld keys(std::set<int> down) {
    return [down](int key) { return down.count(key) > 0; };
}

TEST(KeyLatch, HoldingAKeyActsOnce) {
    KeyLatch latch;
    EXPECT_TRUE(latch.pressed(GLFW_PRESS));
    for (int i = 0; i < 50; ++i) {
        EXPECT_FALSE(latch.pressed(GLFW_PRESS));
    }
    EXPECT_FALSE(latch.pressed(GLFW_RELEASE));
    EXPECT_TRUE(latch.pressed(GLFW_PRESS));
    // A repeat report leaves the latch as it is.
    EXPECT_FALSE(latch.pressed(GLFW_REPEAT));
}

TEST(StateKeys, PausesResumesAndDebugs) {
    EXPECT_EQ(stateAfterP(GameState::Running), GameState::Paused);
    EXPECT_EQ(stateAfterP(GameState::Paused), GameState::Running);
    EXPECT_EQ(stateAfterP(GameState::Debugging), GameState::Debugging);
    EXPECT_EQ(stateAfterF9(GameState::Running), GameState::Debugging);
    EXPECT_EQ(stateAfterF9(GameState::Paused), GameState::Debugging);
    EXPECT_EQ(stateAfterF9(GameState::Debugging), GameState::Paused);
    // The end states are final.
    for (GameState end : {GameState::Finished, GameState::GameOver}) {
        EXPECT_EQ(stateAfterF9(end), end);
        EXPECT_EQ(stateAfterP(end), end);
    }
    // F9 is handled before P: both in one pass from Running end in Debugging.
    EXPECT_EQ(stateAfterP(stateAfterF9(GameState::Running)), GameState::Debugging);
}

TEST(ShipKeys, LaterKeysOfAPairWin) {
    ShipControl c;
    readShipKeys(keys({GLFW_KEY_W, GLFW_KEY_S, GLFW_KEY_A, GLFW_KEY_D, GLFW_KEY_Q, GLFW_KEY_E}), c);
    EXPECT_EQ(c.pitch, 300.0f);
    EXPECT_EQ(c.roll, 300.0f);
    EXPECT_EQ(c.yaw, 300.0f);

    ShipControl d;
    readShipKeys(keys({GLFW_KEY_UP, GLFW_KEY_LEFT, GLFW_KEY_Q}), d);
    EXPECT_EQ(d.pitch, -300.0f);
    EXPECT_EQ(d.roll, -300.0f);
    EXPECT_EQ(d.yaw, -300.0f);
}

TEST(ShipKeys, ReleasedKeysEndTheirCommand) {
    ShipControl c;
    c.roll = 300.0f;
    c.yaw = -300.0f;
    readShipKeys(keys({GLFW_KEY_DOWN}), c);
    EXPECT_EQ(c.pitch, 300.0f);
    EXPECT_EQ(c.roll, 0.0f);
    EXPECT_EQ(c.yaw, 0.0f);
}

TEST(FreeCameraKeys, MoveAtTwentyFiveUnitsPerSecondAndCancel) {
    FreeCameraMove m = readFreeCameraKeys(keys({GLFW_KEY_W, GLFW_KEY_RIGHT}), 0.5);
    EXPECT_FLOAT_EQ(m.forward, 12.5f);
    EXPECT_FLOAT_EQ(m.right, 12.5f);
    FreeCameraMove n = readFreeCameraKeys(keys({GLFW_KEY_UP, GLFW_KEY_S, GLFW_KEY_A}), 0.1);
    EXPECT_FLOAT_EQ(n.forward, 0.0f);
    EXPECT_FLOAT_EQ(n.right, -2.5f);
}

} // namespace
