#include "game/Game.h"

#include "core/AppState.h"
#include "game/GameState.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

void startGame() {}

void onRunningTime(double) {}

void handleInput(double) {
    glfwPollEvents();
}

void runFixedStep() {}

std::string windowTitle(int32_t fps) {
    return std::string("Kelvaro19: ") + gameStateTitle(gameState) + " @" + std::to_string(fps) +
           "FPS";
}

void updateWindowTitle(int32_t fps) {
    glfwSetWindowTitle(window, windowTitle(fps).c_str());
}

void drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glfwSwapBuffers(window);
}
