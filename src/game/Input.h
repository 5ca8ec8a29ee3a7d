#pragma once

#include <cstdint>

struct GLFWwindow;
class FreeCamera;

// Once per main-loop pass: polls window events (the mouse callbacks run
// here), acts on the function keys once per press, then reads the flight keys
// while Running or moves the free camera while Debugging.
void handleInput(double dt);

// One fixed step of flight: the held torque commands about the ship's own
// axes (each step its share, STEP_TORQUE_SHARE), the constant forward speed
// along its local +z. The commands stay until the keys are read again.
void applyShipControl(float step);

// The free camera moves along its own forward (-z) and right (+x) axes.
void moveForward(FreeCamera& camera, float distance);
void moveRight(FreeCamera& camera, float distance);

// Mouse look of the free camera: turns it while the left button is held.
void onMouseButton(GLFWwindow* window, int button, int action, int mods);
void onCursorMove(GLFWwindow* window, double x, double y);

// The forward speed of the ship in units per second.
inline constexpr float SHIP_SPEED = 35.0f;
