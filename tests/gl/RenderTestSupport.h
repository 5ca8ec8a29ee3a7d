#pragma once

// Helpers shared by the rendering GL tests.

#include "core/Config.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace rendertest {

// RGB floats of a rectangle of the colour attachment of `framebuffer`.
inline std::vector<glm::vec3> readFloatPixels(uint32_t framebuffer, int x, int y, int width,
                                              int height,
                                              GLenum attachment = GL_COLOR_ATTACHMENT0) {
    std::vector<glm::vec3> pixels(size_t(width) * size_t(height));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadBuffer(attachment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGB, GL_FLOAT, pixels.data());
    glReadBuffer(framebuffer == 0 ? GL_BACK : GL_COLOR_ATTACHMENT0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return pixels;
}

inline glm::vec3 readFloatPixel(uint32_t framebuffer, int x, int y,
                                GLenum attachment = GL_COLOR_ATTACHMENT0) {
    return readFloatPixels(framebuffer, x, y, 1, 1, attachment)[0];
}

// Whether `text` contains `first` and, somewhere after it, `second`.
inline bool containsInOrder(const std::string& text, const std::string& first,
                            const std::string& second) {
    size_t at = text.find(first);
    return at != std::string::npos && text.find(second, at + first.size()) != std::string::npos;
}

inline int32_t linkStatus(uint32_t program) {
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked;
}

// Grows the hidden test window to a screenshot's size and makes the frame
// code draw at that size with `blurIterations` glow passes.
inline void prepareShot(GLFWwindow* window, int width, int height, uint32_t blurIterations) {
    // The hidden window takes its new size with the next buffer swap.
    glfwSetWindowSize(window, width, height);
    glfwPollEvents();
    glfwSwapBuffers(window);
    glfwPollEvents();
    glViewport(0, 0, width, height);
    Config& cfg = config();
    cfg.windowWidth = uint32_t(width);
    cfg.windowHeight = uint32_t(height);
    cfg.blurIterations = blurIterations;
}

} // namespace rendertest
