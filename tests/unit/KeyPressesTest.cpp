#include "game/KeyPresses.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

namespace {

TEST(KeyPresses, EveryPressIsKeptInOrderOnce) {
    KeyPresses presses;
    // A tap shorter than a pass: press and release arrive together.
    const struct {
        int key, action;
    } events[] = {
        {GLFW_KEY_P, GLFW_PRESS},       {GLFW_KEY_P, GLFW_RELEASE}, {GLFW_KEY_R, GLFW_PRESS},
        {GLFW_KEY_R, GLFW_REPEAT},      {GLFW_KEY_R, GLFW_RELEASE}, {GLFW_KEY_P, GLFW_PRESS},
        {GLFW_KEY_UNKNOWN, GLFW_PRESS}, {GLFW_KEY_F8, GLFW_PRESS},
    };
    for (const auto& e : events) {
        presses.record(e.key, e.action);
    }
    EXPECT_EQ(presses.take(), (std::vector<int>{GLFW_KEY_P, GLFW_KEY_R, GLFW_KEY_P, GLFW_KEY_F8}));
    EXPECT_TRUE(presses.take().empty());
}

TEST(KeyPresses, AltEnterIsTheFullScreenKeyAndNoEnter) {
    KeyPresses presses;
    presses.record(GLFW_KEY_ENTER, GLFW_PRESS, GLFW_MOD_ALT);
    presses.record(GLFW_KEY_KP_ENTER, GLFW_PRESS, GLFW_MOD_ALT | GLFW_MOD_SHIFT);
    presses.record(GLFW_KEY_ENTER, GLFW_PRESS, GLFW_MOD_SHIFT);
    EXPECT_EQ(presses.take(), (std::vector<int>{GLFW_KEY_F11, GLFW_KEY_F11, GLFW_KEY_ENTER}));
}

TEST(KeyPresses, AStalledPassKeepsABoundedQueue) {
    KeyPresses presses;
    for (int i = 0; i < 10000; ++i) {
        presses.record(GLFW_KEY_F6, GLFW_PRESS);
    }
    EXPECT_EQ(presses.pending(), 64u);
}

} // namespace
