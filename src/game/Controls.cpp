#include "game/Controls.h"

#include "core/LoopScheduler.h"
#include "physics/RigidBody.h"

#include <GLFW/glfw3.h>

#include <algorithm>

bool KeyLatch::pressed(int report) {
    if (report == GLFW_PRESS && latch_ == 0) {
        latch_ = 1;
        return true;
    }
    if (report == GLFW_RELEASE) {
        latch_ = 0;
    }
    return false;
}

GameState stateAfterF9(GameState state) {
    switch (state) {
    case GameState::Running:
    case GameState::Paused:
        return GameState::Debugging;
    case GameState::Debugging:
        // Leaving the free camera never resumes the flight by itself.
        return GameState::Paused;
    default:
        return state;
    }
}

GameState stateAfterP(GameState state) {
    switch (state) {
    case GameState::Running:
        return GameState::Paused;
    case GameState::Paused:
        return GameState::Running;
    default:
        return state;
    }
}

void readShipKeys(const KeyHeld& held, ShipControl& control) {
    bool w = held(GLFW_KEY_W), up = held(GLFW_KEY_UP);
    bool s = held(GLFW_KEY_S), down = held(GLFW_KEY_DOWN);
    bool a = held(GLFW_KEY_A), left = held(GLFW_KEY_LEFT);
    bool d = held(GLFW_KEY_D), right = held(GLFW_KEY_RIGHT);
    bool q = held(GLFW_KEY_Q), e = held(GLFW_KEY_E);
    control.pitch = control.roll = control.yaw = 0.0f;
    if (w || up) {
        control.pitch = -300.0f;
    }
    if (s || down) {
        control.pitch = 300.0f;
    }
    if (a || left) {
        control.roll = -300.0f;
    }
    if (d || right) {
        control.roll = 300.0f;
    }
    if (q) {
        control.yaw = -300.0f;
    }
    if (e) {
        control.yaw = 300.0f;
    }
}

FreeCameraMove readFreeCameraKeys(const KeyHeld& held, double dt) {
    bool w = held(GLFW_KEY_W), up = held(GLFW_KEY_UP);
    bool s = held(GLFW_KEY_S), down = held(GLFW_KEY_DOWN);
    bool d = held(GLFW_KEY_D), right = held(GLFW_KEY_RIGHT);
    bool a = held(GLFW_KEY_A), left = held(GLFW_KEY_LEFT);
    double forward = 0.0, sideways = 0.0;
    if (w || up) {
        forward += 25.0 * dt;
    }
    if (s || down) {
        forward -= 25.0 * dt;
    }
    if (d || right) {
        sideways += 25.0 * dt;
    }
    if (a || left) {
        sideways -= 25.0 * dt;
    }
    return {float(forward), float(sideways)};
}

float steadyTurnRate(float angularDamping) {
    const float step = PHYSICS_STEP;
    const float gain = 300.0f * STEP_TORQUE_SHARE * step * step;
    const float kept = std::max(0.0f, 1.0f - angularDamping * step);
    if (kept >= 1.0f) {
        return RigidBody::MAX_ANGULAR_VELOCITY;
    }
    // w = (w + gain) * kept has its fixed point at gain * kept / (1 - kept).
    return std::min(gain * kept / (1.0f - kept), RigidBody::MAX_ANGULAR_VELOCITY);
}
