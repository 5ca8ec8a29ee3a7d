#include "game/KeyPresses.h"

#include <GLFW/glfw3.h>

#include <utility>

namespace {

KeyPresses* listener = nullptr;

void onKey(GLFWwindow*, int key, int, int action, int mods) {
    if (listener) {
        listener->record(key, action, mods);
    }
}

} // namespace

void KeyPresses::record(int key, int action, int mods) {
    if (action != GLFW_PRESS || key == GLFW_KEY_UNKNOWN || keys_.size() >= MAX_PENDING) {
        return;
    }
    if ((mods & GLFW_MOD_ALT) && (key == GLFW_KEY_ENTER || key == GLFW_KEY_KP_ENTER)) {
        key = GLFW_KEY_F11;
    }
    keys_.push_back(key);
}

std::vector<int> KeyPresses::take() {
    std::vector<int> taken;
    taken.swap(keys_);
    return taken;
}

void KeyPresses::pressElsewhere(int key) {
    if (listener) {
        listener->record(key, GLFW_PRESS);
    }
}

void KeyPresses::listen(GLFWwindow* window, KeyPresses* presses) {
    listener = presses;
    glfwSetKeyCallback(window, presses ? onKey : nullptr);
}
