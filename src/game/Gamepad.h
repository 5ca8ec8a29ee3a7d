#pragma once

#include "game/KeyBindings.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// A gamepad as GLFW's gamepad interface lays out every pad it has a mapping
// for: the state enters the game only through this struct, so that tests
// (and machines without a pad) drive the game's pad handling with states of
// their own.
struct PadState {
    bool connected = false;
    std::string name;
    // GLFW_GAMEPAD_AXIS_*: the sticks -1 to 1 (y down positive), the
    // triggers -1 at rest to 1 pressed.
    std::array<float, 6> axes{};
    // GLFW_GAMEPAD_BUTTON_*.
    std::array<bool, 15> buttons{};
    // With no gamepad: the name of a controller GLFW has no mapping for.
    std::string unmapped;
};

// A stick's deflection that counts as none: a pad at rest never reads
// exactly 0, and the ship must not drift.
inline constexpr float PAD_DEAD_ZONE = 0.15f;
// How long the overlay tells of a pad plugged in or out.
inline constexpr double PAD_NOTE_SECONDS = 2.0;

// An axis with its dead zone taken out: 0 inside it, then rising evenly to
// +-1 at full deflection, so that a slight push is a slight turn.
float deadZoned(float axis);

// Flight commands, each -1 to 1 of full torque.
struct Steering {
    float pitch = 0.0f;
    float roll = 0.0f;
    float yaw = 0.0f;
};

// The pad of one game: turns each state into flight commands and button
// presses, and notes pads coming and going.
class Gamepad {
public:
    // What one state brought.
    struct Update {
        // Actions whose buttons went down since the last state, in the
        // order of the button table.
        std::vector<Action> pressed;
        // The pad went away (unplugged, flat battery).
        bool removed = false;
    };

    Update update(const PadState& state, double now);

    // The commands of the last state: the left stick pitches (pushed
    // forward: nose down, as W) and rolls, the shoulders and triggers yaw.
    // All 0 without a pad. (Invert pitch is the steering's, for keys too.)
    Steering steering() const;
    bool connected() const { return state_.connected; }
    // "Gamepad connected: NAME" or "Gamepad removed" for two seconds; a
    // controller without a mapping is named a little longer.
    std::optional<std::string> note(double now) const;

    // The button behind each action, for the controls screen.
    struct Button {
        int button; // GLFW_GAMEPAD_BUTTON_*
        Action action;
    };
    static const std::vector<Button>& buttons();

private:
    PadState state_;
    // A trigger counts only once it was seen at rest: a pad whose mapping
    // lacks one reads 0, halfway, and would turn the ship for ever.
    bool leftTriggerSeen_ = false;
    bool rightTriggerSeen_ = false;
    std::string note_;
    std::optional<double> noteUntil_;
};

// Combines the held keys' commands (-1, 0 or 1 each) with the pad's: the
// larger deflection of the two wins, so neither cancels the other.
Steering combineSteering(const Steering& keys, const Steering& pad);

// The first pad GLFW knows as a gamepad, or a disconnected state.
PadState readGlfwGamepad();

// Reads the user's own mappings (SDL's gamecontrollerdb.txt format) from
// userConfigDir()/gamecontrollerdb.txt when there is one, over GLFW's
// built-in ones; a file it refuses is named in one ERROR line.
void loadUserGamepadMappings();
inline constexpr const char* GAMEPAD_MAPPINGS_FILE = "gamecontrollerdb.txt";

// The game's pad, kept until exit. Once a pass: reads the pad, and turns
// its buttons into presses of their action's first key (so every screen
// treats a button as the key it stands for); a pad removed while `flying`
// pauses the flight the same way.
void pollGamepad(double now, bool flying);
// The key presses one update stands for under `bindings` (its buttons'
// actions' first keys, and Pause for a pad removed while `flying`).
std::vector<int> padKeyPresses(const Gamepad::Update& update, bool flying,
                               const KeyBindings& bindings);
Gamepad& gameGamepad();
