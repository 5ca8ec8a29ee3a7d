#pragma once

struct GLFWwindow;

// The window, made by start-up and alive until shutdown.

// The game window.
extern GLFWwindow* window;
