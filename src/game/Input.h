#pragma once

struct GLFWwindow;
class FreeCamera;

// Once per main-loop pass: polls window events (the key and mouse callbacks
// run here), acts on every switch key pressed since the last pass, then
// reads the held flight keys while Running or moves the free camera while
// Debugging. Returns how many switch keys it acted on.
int handleInput(double dt);

// The free camera moves along its own forward (-z) and right (+x) axes.
void moveForward(FreeCamera& camera, float distance);
void moveRight(FreeCamera& camera, float distance);

// Mouse look of the free camera: turns it while the left button is held.
// The camera it turns (null: none); the free camera's owner sets it.
void setMouseLookCamera(FreeCamera* camera);
void onMouseButton(GLFWwindow* window, int button, int action, int mods);
void onCursorMove(GLFWwindow* window, double x, double y);

// The forward speed of the ship in units per second.
inline constexpr float SHIP_SPEED = 35.0f;
