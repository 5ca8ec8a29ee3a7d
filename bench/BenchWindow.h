#pragma once

// A hidden window with a 3.3 core context for the benchmarks that draw or
// upload, opened once per process and kept until exit.

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <filesystem>

// Opens the window on the first call (later calls only report whether it
// exists), loads GLEW and makes the repository root the working folder so
// that res/ is found. False when no context can be had.
inline bool openBenchWindow(int width, int height, const char* title) {
    static GLFWwindow* window = nullptr;
    if (window) {
        return true;
    }
    if (!glfwInit()) {
        return false;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    window = glfwCreateWindow(width, height, title, nullptr, nullptr);
    if (!window) {
        return false;
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        return false;
    }
    std::filesystem::current_path(KELVARO_SOURCE_DIR);
    return true;
}
