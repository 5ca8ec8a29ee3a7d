#pragma once

#include <string>

// The whole run: start-up, the main loop until the window is asked to close,
// shutdown. Returns the process exit code; a failed start-up exits with 1
// from inside. `levelFile` is a level file to play instead of the shipped
// level (empty: the shipped one).
int runApplication(const std::string& levelFile = {});
