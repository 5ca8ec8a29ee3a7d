#include "game/Input.h"

#include "core/AppState.h"
#include "core/CameraDefaults.h"
#include "game/Controls.h"
#include "game/GameSession.h"
#include "game/GameState.h"
#include "physics/RigidBody.h"
#include "render/Camera.h"
#include "sound/GameSounds.h"
#include "world/GameObject.h"
#include "world/World.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/quaternion.hpp>

namespace {

struct Latches {
    KeyLatch f9, p, f10, f5, f7, f8, f6, f11, m;
};
Latches latches;

// The previous cursor position of the mouse look; (0, 0) means none.
double previousX = 0.0;
double previousY = 0.0;

int keyReport(int key) {
    return glfwGetKey(window, key);
}
bool keyHeld(int key) {
    return keyReport(key) == GLFW_PRESS;
}

void enterFreeCamera() {
    if (!freeCamera && world) {
        const Camera& view = world->camera;
        freeCamera = std::make_unique<FreeCamera>(view.getPosition(), view.getRotation());
        freeCamera->fovY = cameraDefaults.fovDegrees * 0.017453292f;
        freeCamera->aspect = cameraDefaults.aspectRatio;
        freeCamera->nearPlane = 0.1f;
        freeCamera->farPlane = cameraDefaults.farPlane;
    }
    glfwSetMouseButtonCallback(window, onMouseButton);
}

void leaveFreeCamera() {
    if (freeCamera) {
        glfwSetMouseButtonCallback(window, nullptr);
        freeCamera.reset();
    }
}

} // namespace

void handleInput(double dt) {
    glfwPollEvents();

    int f9 = keyReport(GLFW_KEY_F9);
    int p = keyReport(GLFW_KEY_P);
    if (latches.f9.pressed(f9)) {
        GameState before = gameState;
        gameState = stateAfterF9(gameState);
        soundClick();
        if (gameState == GameState::Debugging && before != GameState::Debugging) {
            enterFreeCamera();
        } else if (before == GameState::Debugging) {
            leaveFreeCamera();
        }
    }
    if (latches.p.pressed(p)) {
        gameState = stateAfterP(gameState);
        soundClick();
    }
    if (latches.f10.pressed(keyReport(GLFW_KEY_F10))) {
        renderToggles.wireframe = !renderToggles.wireframe;
    }
    if (latches.f5.pressed(keyReport(GLFW_KEY_F5))) {
        renderToggles.bloomEnabled = !renderToggles.bloomEnabled;
    }
    if (latches.f7.pressed(keyReport(GLFW_KEY_F7))) {
        renderToggles.normalMapping = !renderToggles.normalMapping;
    }
    if (latches.f8.pressed(keyReport(GLFW_KEY_F8))) {
        renderToggles.hudVisible = !renderToggles.hudVisible;
    }
    if (latches.f11.pressed(keyReport(GLFW_KEY_F11))) {
        renderToggles.collisionLines = !renderToggles.collisionLines;
    }
    if (latches.m.pressed(keyReport(GLFW_KEY_M))) {
        toggleSoundMute(glfwGetTime());
    }
    if (latches.f6.pressed(keyReport(GLFW_KEY_F6))) {
        renderToggles.detailLevel = (renderToggles.detailLevel + 1) % 4;
    }

    if (gameState == GameState::Running) {
        readShipKeys(keyHeld, shipControl);
    } else if (gameState == GameState::Debugging && freeCamera) {
        FreeCameraMove move = readFreeCameraKeys(keyHeld, dt);
        moveForward(*freeCamera, move.forward);
        moveRight(*freeCamera, move.right);
    }
}

void applyShipControl(float step) {
    GameObject* target = shipControl.ship;
    if (!target || !target->actor || !target->actor->isDynamic()) {
        return;
    }
    const float s = step * STEP_TORQUE_SHARE;
    const glm::quat r = target->getRotation();
    RigidBody& body = *target->actor;
    soundSteering(shipControl.pitch, shipControl.roll, shipControl.yaw);
    body.addTorque((s * shipControl.pitch) * (r * glm::vec3(-1.0f, 0.0f, 0.0f)));
    body.addTorque((s * shipControl.roll) * (r * glm::vec3(0.0f, 0.0f, 1.0f)));
    body.addTorque((s * shipControl.yaw) * (r * glm::vec3(0.0f, -1.0f, 0.0f)));
    body.setLinearVelocity(SHIP_SPEED * (r * glm::vec3(0.0f, 0.0f, 1.0f)));
}

void moveForward(FreeCamera& camera, float distance) {
    camera.position += camera.rotation * glm::vec3(0.0f, 0.0f, -1.0f) * distance;
}

void moveRight(FreeCamera& camera, float distance) {
    camera.position += camera.rotation * glm::vec3(1.0f, 0.0f, 0.0f) * distance;
}

void onMouseButton(GLFWwindow* w, int button, int action, int) {
    if (action == GLFW_RELEASE) {
        glfwSetCursorPosCallback(w, nullptr);
        previousX = 0.0;
        previousY = 0.0;
    } else if (button == GLFW_MOUSE_BUTTON_LEFT && action == GLFW_PRESS) {
        glfwSetCursorPosCallback(w, onCursorMove);
    }
}

void onCursorMove(GLFWwindow*, double x, double y) {
    if (freeCamera && previousX != 0.0 && previousY != 0.0) {
        glm::quat r = freeCamera->rotation;
        float yaw = float((previousX - x) * 0.005);
        r = glm::angleAxis(yaw, glm::vec3(0.0f, 1.0f, 0.0f)) * r;
        glm::vec3 axis = r * glm::vec3(1.0f, 0.0f, 0.0f);
        float length = glm::length(axis);
        if (std::abs(length - 1.0f) > 0.001f) {
            axis /= length;
        }
        float pitch = float((previousY - y) * 0.005);
        r = glm::angleAxis(pitch, axis) * r;
        freeCamera->rotation = r;
    }
    previousX = x;
    previousY = y;
}
