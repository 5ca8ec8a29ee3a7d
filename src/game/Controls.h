#pragma once

#include "core/GameState.h"
#include "game/Gamepad.h"
#include "game/KeyBindings.h"

#include <cstdint>
#include <functional>

class GameObject;
struct Config;

// The player's steering: torque commands about the ship's lateral (pitch),
// forward (roll) and vertical (yaw) axes, each from -300 to 300: a key gives
// the full 300, a gamepad's stick as much of it as it is pushed. They hold
// from one reading of the controls to the next and act on every fixed step
// between.
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

// The switches as the player's settings start them (GLOW, NORMAL_MAPS,
// LEVEL_OF_DETAIL); the others start as the defaults above.
RenderToggles renderTogglesFrom(const Config& settings);

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

// The full torque of a command.
inline constexpr float FULL_TORQUE = 300.0f;

// Sets the commands from the held flight keys under `bindings` and the pad's
// steering (-1 to 1 each): the larger deflection of the two counts. Of a
// pair of keys the second overrides the first (nose down and nose up held
// give nose up); a command whose keys are not held and whose stick is at
// rest is 0. `invertPitch` turns pitch round for keys and stick alike.
void steerShip(const KeyHeld& held, const KeyBindings& bindings, const Steering& pad,
               bool invertPitch, ShipControl& control);
// The game's steering: keyBindings(), the game's pad and config().invertPitch.
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
// The flight keys move it: nose down forward, roll left and right sideways.
FreeCameraMove readFreeCameraKeys(const KeyHeld& held, double dt,
                                  const KeyBindings& bindings = keyBindings());
