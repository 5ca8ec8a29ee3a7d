#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

struct GLFWwindow;

// Base fixture of the GL tests: a hidden GLFW window with a real 3.3 core
// context (llvmpipe under Xvfb), made current, GLEW loaded, and the game's
// global OpenGL state set. Skips the test with the reason when no display can
// be had; the README's test command always provides one.
class GlTest : public ::testing::Test {
protected:
    static constexpr int WIDTH = 64;
    static constexpr int HEIGHT = 64;

    void SetUp() override;
    void TearDown() override;

    // Reads back the RGBA bytes of the current read framebuffer.
    std::vector<uint8_t> readPixels(int x, int y, int width, int height) const;

    GLFWwindow* glWindow = nullptr;
};
