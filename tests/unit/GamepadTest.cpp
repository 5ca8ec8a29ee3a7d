#include "game/Gamepad.h"
#include "game/Controls.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

PadState pad(float leftX = 0.0f, float leftY = 0.0f) {
    PadState state;
    state.connected = true;
    state.name = "Test Pad";
    state.axes[GLFW_GAMEPAD_AXIS_LEFT_X] = leftX;
    state.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = leftY;
    state.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = -1.0f;
    state.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = -1.0f;
    return state;
}

PadState withButton(PadState state, int button) {
    state.buttons[std::size_t(button)] = true;
    return state;
}

ShipControl steer(const Steering& padSteering, bool invert, std::set<int> down = {}) {
    ShipControl control;
    steerShip([down](int key) { return down.count(key) > 0; }, KeyBindings::defaults(), padSteering,
              invert, control);
    return control;
}

} // namespace

TEST(Gamepad, TheDeadZoneHoldsTheShipStillAndFullDeflectionIsFullTorque) {
    struct Case {
        float axis, expected;
    };
    const Case cases[] = {{0.0f, 0.0f},     {0.1f, 0.0f},    {-0.15f, 0.0f}, {0.575f, 0.5f},
                          {-0.575f, -0.5f}, {1.0f, 1.0f},    {-1.0f, -1.0f}, {1.3f, 1.0f},
                          {NAN, 0.0f},      {INFINITY, 0.0f}};
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(deadZoned(c.axis), c.expected) << c.axis;
    }
    Gamepad gamepad;
    gamepad.update(pad(0.12f, -0.14f), 0.0);
    const ShipControl rest = steer(gamepad.steering(), false);
    EXPECT_EQ(rest.pitch, 0.0f);
    EXPECT_EQ(rest.roll, 0.0f);
    EXPECT_EQ(rest.yaw, 0.0f);
    // Forward is nose down, as W; right rolls right, as D.
    gamepad.update(pad(1.0f, -1.0f), 0.1);
    const ShipControl full = steer(gamepad.steering(), false);
    EXPECT_FLOAT_EQ(full.pitch, -FULL_TORQUE);
    EXPECT_FLOAT_EQ(full.roll, FULL_TORQUE);
    gamepad.update(pad(-0.575f, 0.0f), 0.2);
    EXPECT_FLOAT_EQ(steer(gamepad.steering(), false).roll, -0.5f * FULL_TORQUE);
}

TEST(Gamepad, ShouldersAndTriggersYawAndAnUnmappedTriggerDoesNot) {
    Gamepad gamepad;
    gamepad.update(withButton(pad(), GLFW_GAMEPAD_BUTTON_LEFT_BUMPER), 0.0);
    EXPECT_FLOAT_EQ(gamepad.steering().yaw, -1.0f);
    PadState trigger = pad();
    trigger.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = 1.0f;
    gamepad.update(trigger, 0.1);
    EXPECT_FLOAT_EQ(gamepad.steering().yaw, 1.0f);
    // A pad whose mapping has no triggers reads them at 0, halfway: no turn.
    Gamepad other;
    PadState unmapped = pad();
    unmapped.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = 0.0f;
    unmapped.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = 0.0f;
    other.update(unmapped, 0.0);
    EXPECT_EQ(other.steering().yaw, 0.0f);
}

TEST(Gamepad, InvertPitchTurnsKeysAndStickAlike) {
    Gamepad gamepad;
    gamepad.update(pad(0.0f, -1.0f), 0.0);
    EXPECT_FLOAT_EQ(steer(gamepad.steering(), true).pitch, FULL_TORQUE);
    EXPECT_FLOAT_EQ(steer({}, true, {GLFW_KEY_W}).pitch, FULL_TORQUE);
    EXPECT_FLOAT_EQ(steer({}, false, {GLFW_KEY_W}).pitch, -FULL_TORQUE);
    // Keys and stick together: the larger deflection wins, neither cancels.
    gamepad.update(pad(0.0f, 0.575f), 0.1);
    EXPECT_FLOAT_EQ(steer(gamepad.steering(), false, {GLFW_KEY_W}).pitch, -FULL_TORQUE);
    EXPECT_FLOAT_EQ(steer(gamepad.steering(), false, {}).pitch, 0.5f * FULL_TORQUE);
}

TEST(Gamepad, ButtonsActInMenusOncePerPress) {
    struct Case {
        int button;
        Action action;
        int key; // the key its press stands for, by default
    };
    const Case cases[] = {
        {GLFW_GAMEPAD_BUTTON_START, Action::Pause, GLFW_KEY_P},
        {GLFW_GAMEPAD_BUTTON_A, Action::Choose, GLFW_KEY_ENTER},
        {GLFW_GAMEPAD_BUTTON_B, Action::Back, GLFW_KEY_ESCAPE},
        {GLFW_GAMEPAD_BUTTON_Y, Action::FlyAgain, GLFW_KEY_R},
        {GLFW_GAMEPAD_BUTTON_DPAD_UP, Action::MenuUp, GLFW_KEY_UP},
        {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, Action::MenuDown, GLFW_KEY_DOWN},
    };
    for (const Case& c : cases) {
        Gamepad gamepad;
        gamepad.update(pad(), 0.0);
        const Gamepad::Update pressed = gamepad.update(withButton(pad(), c.button), 0.1);
        ASSERT_EQ(pressed.pressed.size(), 1u) << c.button;
        EXPECT_EQ(pressed.pressed[0], c.action);
        EXPECT_EQ(padKeyPresses(pressed, false, KeyBindings::defaults()), std::vector<int>{c.key});
        // Held: no repeat; released and pressed again: once more.
        EXPECT_TRUE(gamepad.update(withButton(pad(), c.button), 0.2).pressed.empty());
        gamepad.update(pad(), 0.3);
        EXPECT_EQ(gamepad.update(withButton(pad(), c.button), 0.4).pressed.size(), 1u);
    }
    // A button held while the pad arrives is no press; a rebound action's
    // button stands for its new key.
    Gamepad late;
    EXPECT_TRUE(late.update(withButton(pad(), GLFW_GAMEPAD_BUTTON_START), 0.0).pressed.empty());
    KeyBindings bindings;
    ASSERT_EQ(bindings.rebind(Action::Pause, 0, GLFW_KEY_K), "");
    Gamepad::Update start;
    start.pressed = {Action::Pause};
    EXPECT_EQ(padKeyPresses(start, false, bindings), std::vector<int>{GLFW_KEY_K});
}

TEST(Gamepad, APadRemovedMidFlightStopsSteeringAndPauses) {
    Gamepad gamepad;
    const Gamepad::Update arrived = gamepad.update(pad(1.0f, 1.0f), 10.0);
    EXPECT_FALSE(arrived.removed);
    EXPECT_EQ(gamepad.note(10.5), "Gamepad connected: Test Pad");
    EXPECT_FALSE(gamepad.note(12.0));
    const Gamepad::Update gone = gamepad.update(PadState{}, 20.0);
    EXPECT_TRUE(gone.removed);
    EXPECT_FALSE(gamepad.connected());
    const ShipControl still = steer(gamepad.steering(), false);
    EXPECT_EQ(still.pitch, 0.0f);
    EXPECT_EQ(still.roll, 0.0f);
    EXPECT_EQ(gamepad.note(21.9), "Gamepad removed");
    EXPECT_FALSE(gamepad.note(22.0));
    EXPECT_EQ(padKeyPresses(gone, true, KeyBindings::defaults()), std::vector<int>{GLFW_KEY_P});
    // Removed while paused or in a menu: nothing to pause.
    EXPECT_TRUE(padKeyPresses(gone, false, KeyBindings::defaults()).empty());
    // Back again.
    EXPECT_FALSE(gamepad.update(pad(), 30.0).removed);
    EXPECT_EQ(gamepad.note(30.0), "Gamepad connected: Test Pad");
}

TEST(Gamepad, AControllerWithoutAMappingIsNamed) {
    Gamepad gamepad;
    PadState joystick;
    joystick.unmapped = "Odd Stick";
    gamepad.update(joystick, 0.0);
    EXPECT_EQ(gamepad.note(1.0), "Odd Stick has no gamepad mapping: add one to "
                                 "gamecontrollerdb.txt in the settings folder");
    EXPECT_FALSE(gamepad.connected());
    // Said once, not on every pass.
    gamepad.update(joystick, 5.0);
    EXPECT_FALSE(gamepad.note(5.0));
}
