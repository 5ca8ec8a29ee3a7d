#pragma once

struct GLFWwindow;

// Full screen on the primary monitor in the monitor's own mode, or a window.
// Leaving full screen puts the window back at the size and place it had;
// a game that started in full screen comes back at the configured size.
bool isFullScreen(GLFWwindow* window);
void toggleFullScreen(GLFWwindow* window);
