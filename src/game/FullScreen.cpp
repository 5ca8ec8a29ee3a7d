#include "game/FullScreen.h"

#include "core/Config.h"

#include <GLFW/glfw3.h>

namespace {

// Where the window stood before full screen; one window, kept until exit.
struct WindowPlace {
    int x = 0, y = 0, width = 0, height = 0;
} windowed;

} // namespace

bool isFullScreen(GLFWwindow* window) {
    return window && glfwGetWindowMonitor(window) != nullptr;
}

void toggleFullScreen(GLFWwindow* window) {
    if (!window) {
        return;
    }
    if (isFullScreen(window)) {
        if (windowed.width <= 0 || windowed.height <= 0) {
            // Started in full screen: the configured size, in the middle.
            windowed.width = int(config().windowWidth);
            windowed.height = int(config().windowHeight);
            const GLFWvidmode* mode = glfwGetVideoMode(glfwGetWindowMonitor(window));
            windowed.x = mode ? (mode->width - windowed.width) / 2 : 0;
            windowed.y = mode ? (mode->height - windowed.height) / 2 : 0;
        }
        glfwSetWindowMonitor(window, nullptr, windowed.x, windowed.y, windowed.width,
                             windowed.height, GLFW_DONT_CARE);
        return;
    }
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (!mode) {
        return;
    }
    glfwGetWindowPos(window, &windowed.x, &windowed.y);
    glfwGetWindowSize(window, &windowed.width, &windowed.height);
    glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
}
