#pragma once

#include <cstddef>
#include <vector>

struct GLFWwindow;

// The presses of the switch keys, taken from the window's key events in the
// order they came. Keys read once per pass lose a tap shorter than the pass
// (a quick tap at 16 fps, anything at 1 fps); an event is never lost. Held
// flight keys are still read as they stand in each pass.
class KeyPresses {
public:
    // A GLFW key event: only a press counts; repeats and releases do not.
    // Alt+Enter, the other full-screen key, arrives as F11 (and never as an
    // Enter that would fly the track chosen in the list).
    void record(int key, int action, int mods = 0);
    // The keys pressed since the last call, oldest first.
    std::vector<int> take();
    std::size_t pending() const { return keys_.size(); }

    // Sends the window's key events to `presses` (null: to nobody).
    static void listen(GLFWwindow* window, KeyPresses* presses);
    // A press that comes from elsewhere than the keyboard (a gamepad's
    // button standing for its action's key), for whoever listens now.
    static void pressElsewhere(int key);

private:
    // A pass that stalls for long cannot pile up more than this.
    static constexpr std::size_t MAX_PENDING = 64;
    std::vector<int> keys_;
};
