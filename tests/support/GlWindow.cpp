#include "GlWindow.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {
std::string lastGlfwError;
void rememberError(int, const char* description) {
    lastGlfwError = description;
}
} // namespace

void GlTest::SetUp() {
    lastGlfwError.clear();
    glfwSetErrorCallback(rememberError);
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        GTEST_SKIP() << "No display for an OpenGL window (DISPLAY is not set)";
    }
    // A display that is there but refuses a connection now and then under
    // load is retried; one that keeps refusing is a failure, not a skip, so
    // that a broken display never passes the GL tests by skipping them.
    bool initialized = false;
    for (int attempt = 0; attempt < 5 && !(initialized = glfwInit()); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    if (initialized && !lastGlfwError.empty()) {
        std::fprintf(stderr, "The display %s refused a connection before taking one: %s\n", display,
                     lastGlfwError.c_str());
    }
    if (!initialized) {
        FAIL() << "Cannot open the display " << display << ": " << lastGlfwError;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glWindow = glfwCreateWindow(WIDTH, HEIGHT, "gl-test", nullptr, nullptr);
    if (!glWindow) {
        glfwTerminate();
        FAIL() << "No OpenGL 3.3 core context on " << display << ": " << lastGlfwError;
    }
    glfwMakeContextCurrent(glWindow);
    glewExperimental = GL_TRUE;
    ASSERT_EQ(glewInit(), GLEW_OK);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glViewport(0, 0, WIDTH, HEIGHT);
}

void GlTest::TearDown() {
    if (glWindow) {
        glfwDestroyWindow(glWindow);
        glWindow = nullptr;
        glfwTerminate();
    }
}

std::vector<uint8_t> GlTest::readPixels(int x, int y, int width, int height) const {
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
