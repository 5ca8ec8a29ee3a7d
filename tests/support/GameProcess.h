#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The real game binary started in a working folder of the test's choosing,
// under the test session's X display, with its standard output captured to a
// file. Helpers drive it the way a player and a window manager would: real key
// events through xdotool, a WM_DELETE_WINDOW message to close it.
class GameProcess {
public:
    // Starts the game in `workingDir` with `arguments` after the program
    // name; `environment` entries ("NAME=value", or "NAME=" to unset) adjust
    // the inherited environment. HOME is `workingDir`/home, and the XDG base
    // folders lie below it (.config, .local/share, ...), unless `environment`
    // says otherwise. Sound goes to OpenAL Soft's silent `null` driver unless
    // they set ALSOFT_DRIVERS (or unset it for ALSOFT_CONF). `binary` is the
    // game built with the tests unless a test runs a copy (an installed one).
    explicit GameProcess(const std::filesystem::path& workingDir,
                         const std::vector<std::string>& environment = {},
                         const std::vector<std::string>& arguments = {},
                         const std::filesystem::path& binary = KELVARO_GAME_BINARY);
    ~GameProcess(); // kills the game if it still runs
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // Everything the game has written to standard output so far.
    std::string output() const;
    // Waits until the output contains `text`.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds timeout) const;

    // Waits for the game's visible window; its X id, or 0.
    unsigned long waitForWindow(std::chrono::milliseconds timeout);
    unsigned long windowId() const { return window_; }
    std::string windowTitle() const;
    // Waits until the title starts with `prefix`.
    bool waitForTitle(const std::string& prefix, std::chrono::milliseconds timeout) const;

    // Holds a key (an X keysym name such as "p" or "F9") down for `hold`.
    void holdKey(const std::string& key, std::chrono::milliseconds hold) const;
    void keyDown(const std::string& key) const;
    void keyUp(const std::string& key) const;
    // Presses and releases a key at once: a tap far shorter than a frame of
    // the slow software renderer, which the game must still not lose.
    void tapKey(const std::string& key) const;

    // A game started without a level opens on its start screen: waits for
    // it, then flies (Enter).
    bool flyFromStartScreen(std::chrono::milliseconds timeout) const;

    // Asks the window to close, as a window manager's close button does.
    void requestClose() const;

    // Saves the window's current contents as a PNG.
    bool screenshot(const std::filesystem::path& file) const;
    // Takes screenshots into `file` until `shows` accepts one. The title
    // changes before the frame that goes with it is drawn, and a slow machine
    // can show an older frame for a while: tests wait for what they check.
    // False when no accepted picture came within `timeout`; `file` then holds
    // the last one taken.
    bool waitForPicture(const std::filesystem::path& file,
                        const std::function<bool(const std::filesystem::path&)>& shows,
                        std::chrono::milliseconds timeout) const;

    // Waits for the game to end; its exit code, or nothing on timeout (or a
    // death by signal, reported as 128 + signal).
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);

private:
    int pid_ = -1;
    std::optional<int> exitCode_;
    unsigned long window_ = 0;
    std::filesystem::path outputFile_;
};

// Runs a shell command; its standard output (trimmed of the final newline).
std::string runCommand(const std::string& command);

// A working folder for the game: the repository's shaders, fonts and sounds
// under res/, plus an INI with a small window and few blur passes. Tests add their
// own level and models.
void prepareGameFolder(const std::filesystem::path& dir, int width = 320, int height = 180,
                       int blurIterations = 2, int maxFps = 30);
