#include "game/Controls.h"

#include "core/Config.h"
#include "core/LoopScheduler.h"
#include "physics/RigidBody.h"

#include <GLFW/glfw3.h>

#include <algorithm>

RenderToggles renderTogglesFrom(const Config& settings) {
    RenderToggles toggles;
    toggles.bloomEnabled = settings.glow;
    toggles.normalMapping = settings.normalMaps;
    toggles.detailLevel = settings.levelOfDetail;
    return toggles;
}

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

void steerShip(const KeyHeld& held, const KeyBindings& bindings, const Steering& pad,
               bool invertPitch, ShipControl& control) {
    auto axis = [&](Action negative, Action positive) {
        if (bindings.held(positive, held)) {
            return 1.0f;
        }
        return bindings.held(negative, held) ? -1.0f : 0.0f;
    };
    const Steering keys{axis(Action::NoseDown, Action::NoseUp),
                        axis(Action::RollLeft, Action::RollRight),
                        axis(Action::YawLeft, Action::YawRight)};
    const Steering both = combineSteering(keys, pad);
    control.pitch = FULL_TORQUE * both.pitch * (invertPitch ? -1.0f : 1.0f);
    control.roll = FULL_TORQUE * both.roll;
    control.yaw = FULL_TORQUE * both.yaw;
}

void readShipKeys(const KeyHeld& held, ShipControl& control) {
    steerShip(held, keyBindings(), gameGamepad().steering(), config().invertPitch, control);
}

FreeCameraMove readFreeCameraKeys(const KeyHeld& held, double dt, const KeyBindings& bindings) {
    double forward = 0.0, sideways = 0.0;
    if (bindings.held(Action::NoseDown, held)) {
        forward += 25.0 * dt;
    }
    if (bindings.held(Action::NoseUp, held)) {
        forward -= 25.0 * dt;
    }
    if (bindings.held(Action::RollRight, held)) {
        sideways += 25.0 * dt;
    }
    if (bindings.held(Action::RollLeft, held)) {
        sideways -= 25.0 * dt;
    }
    return {float(forward), float(sideways)};
}

float steadyTurnRate(float angularDamping) {
    const float step = PHYSICS_STEP;
    const float gain = FULL_TORQUE * STEP_TORQUE_SHARE * step * step;
    const float kept = std::max(0.0f, 1.0f - angularDamping * step);
    if (kept >= 1.0f) {
        return RigidBody::MAX_ANGULAR_VELOCITY;
    }
    // w = (w + gain) * kept has its fixed point at gain * kept / (1 - kept).
    return std::min(gain * kept / (1.0f - kept), RigidBody::MAX_ANGULAR_VELOCITY);
}
