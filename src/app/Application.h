#pragma once

#include <functional>
#include <string>

// Told after every frame the loop draws, with the clock reading at its end;
// returning false asks the window to close, as a player closing it would.
// The frame-time benchmark watches the real loop through it.
using FrameWatcher = std::function<bool(double now)>;

// The whole run: start-up, the main loop until the window is asked to close,
// shutdown. Returns the process exit code; a failed start-up exits with 1
// from inside. `levelFile` is a level file to play instead of the shipped
// level (empty: the shipped one).
int runApplication(const std::string& levelFile = {}, const FrameWatcher& watcher = {});
