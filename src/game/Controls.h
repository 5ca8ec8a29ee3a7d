#pragma once

#include "game/GameState.h"

#include <cstdint>
#include <functional>

class GameObject;

// The player's pending steering: torque commands about the ship's lateral
// (pitch), forward (roll) and vertical (yaw) axes, consumed by the next step.
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
// earlier one (W with S held gives +300 pitch). Commands whose keys are not
// held keep their value until a step consumes them.
void readShipKeys(const KeyHeld& held, ShipControl& control);

// The free camera's movement this pass from the held keys: (forward, right)
// distances at 25 units per second; opposite keys cancel.
struct FreeCameraMove {
    float forward = 0.0f;
    float right = 0.0f;
};
FreeCameraMove readFreeCameraKeys(const KeyHeld& held, double dt);
