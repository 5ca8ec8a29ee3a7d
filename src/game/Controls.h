#pragma once

#include "core/GameState.h"

#include <cstdint>
#include <functional>

class GameObject;

// The player's steering: torque commands about the ship's lateral (pitch),
// forward (roll) and vertical (yaw) axes, 0 or +-300 each. They hold from one
// reading of the keys to the next and act on every fixed step between.
struct ShipControl {
    GameObject* ship = nullptr;
    float pitch = 0.0f;
    float roll = 0.0f;
    float yaw = 0.0f;
};

// Render and overlay switches, flipped by the function keys in every state.
struct RenderToggles {
    bool wireframe = false;
    bool bloomEnabled = true;
    bool normalMapping = true;
    bool hudVisible = true;
    // The collision shapes as lines over the scene (F11).
    bool collisionLines = false;
    int32_t detailLevel = 3;
};

// Makes a held key act once: true on the first poll that sees it down, then
// nothing until a poll sees it released.
class KeyLatch {
public:
    // `report` is GLFW's key report (GLFW_PRESS 1, GLFW_RELEASE 0).
    bool pressed(int report);

private:
    int32_t latch_ = 0;
};

// The state transitions of the two state keys.
GameState stateAfterF9(GameState state);
GameState stateAfterP(GameState state);

// Asks whether a key (a GLFW key code) is held.
using KeyHeld = std::function<bool(int key)>;

// Sets the commands from the flight keys; a later key of a pair overrides the
// earlier one (W with S held gives +300 pitch), and a command whose keys are
// not held is 0.
void readShipKeys(const KeyHeld& held, ShipControl& control);

// The share of a command's torque one fixed step applies. The ship was tuned
// at 60 frames a second with a command acting on one step per frame; acting
// on all 144 steps a second, each carries 60/144 of it, so the ship turns as
// it did at 60 at every frame rate.
inline constexpr float STEP_TORQUE_SHARE = 60.0f / 144.0f;

// The turn rate (radians a second) the ship settles at while one turn key is
// held, with its unit inertia and the given angular damping: each step adds
// the command's share and the damping takes its part, until the two balance.
float steadyTurnRate(float angularDamping);

// The free camera's movement this pass from the held keys: (forward, right)
// distances at 25 units per second; opposite keys cancel.
struct FreeCameraMove {
    float forward = 0.0f;
    float right = 0.0f;
};
FreeCameraMove readFreeCameraKeys(const KeyHeld& held, double dt);
