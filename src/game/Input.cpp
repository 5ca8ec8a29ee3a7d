#include "game/Input.h"

#include "core/AppState.h"
#include "game/Controls.h"
#include "game/Game.h"
#include "game/Gamepad.h"
#include "world/Camera.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/quaternion.hpp>

namespace {

FreeCamera* lookCamera = nullptr;

// The previous cursor position of the mouse look, once there is one: a
// cursor at the window's left or top edge is a position like any other.
bool havePrevious = false;
double previousX = 0.0;
double previousY = 0.0;

bool keyHeld(int key) {
    return glfwGetKey(window, key) == GLFW_PRESS;
}

} // namespace

int handleInput(double dt) {
    glfwPollEvents();
    // Pad buttons arrive as key presses, before the keys are taken.
    pollGamepad(glfwGetTime(), flying());
    return takeInput(keyHeld, dt);
}

void moveForward(FreeCamera& camera, float distance) {
    camera.position += camera.rotation * glm::vec3(0.0f, 0.0f, -1.0f) * distance;
}

void moveRight(FreeCamera& camera, float distance) {
    camera.position += camera.rotation * glm::vec3(1.0f, 0.0f, 0.0f) * distance;
}

void setMouseLookCamera(FreeCamera* camera) {
    lookCamera = camera;
    if (!camera) {
        havePrevious = false;
    }
}

void onMouseButton(GLFWwindow* w, int button, int action, int) {
    if (action == GLFW_RELEASE) {
        glfwSetCursorPosCallback(w, nullptr);
        havePrevious = false;
    } else if (button == GLFW_MOUSE_BUTTON_LEFT && action == GLFW_PRESS) {
        glfwSetCursorPosCallback(w, onCursorMove);
    }
}

void onCursorMove(GLFWwindow*, double x, double y) {
    FreeCamera* camera = lookCamera;
    if (camera && havePrevious) {
        glm::quat r = camera->rotation;
        float yaw = float((previousX - x) * 0.005);
        r = glm::angleAxis(yaw, glm::vec3(0.0f, 1.0f, 0.0f)) * r;
        glm::vec3 axis = r * glm::vec3(1.0f, 0.0f, 0.0f);
        float length = glm::length(axis);
        if (std::abs(length - 1.0f) > 0.001f) {
            axis /= length;
        }
        float pitch = float((previousY - y) * 0.005);
        r = glm::angleAxis(pitch, axis) * r;
        camera->rotation = r;
    }
    previousX = x;
    previousY = y;
    havePrevious = true;
}
