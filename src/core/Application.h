#pragma once

// The whole run: start-up, the main loop until the window is asked to close,
// shutdown. Returns the process exit code; a failed start-up exits with 1
// from inside.
int runApplication();
