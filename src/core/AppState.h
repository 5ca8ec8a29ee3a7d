#pragma once

struct GLFWwindow;

// Process-wide state of the running game, set up by start-up and alive for
// the whole run.

// The game window.
extern GLFWwindow* window;

// Seconds spent in Running: the flying clock and the score's divisor.
extern double totalTime;
