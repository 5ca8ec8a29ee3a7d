#include "game/Gamepad.h"

#include "core/Log.h"
#include "core/RegularFile.h"
#include "core/UserFolders.h"
#include "game/KeyPresses.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>

namespace {

// A mapping file past this is no mapping file (the community's whole
// database is under 1 MiB).
constexpr std::size_t MAX_MAPPINGS_BYTES = 4 * 1024 * 1024;

float triggerTravel(float axis, bool seen) {
    return seen ? deadZoned(std::clamp((axis + 1.0f) * 0.5f, 0.0f, 1.0f)) : 0.0f;
}

float strongest(float a, float b) {
    return std::abs(a) >= std::abs(b) ? a : b;
}

} // namespace

float deadZoned(float axis) {
    if (!std::isfinite(axis)) {
        return 0.0f;
    }
    const float size = std::min(std::abs(axis), 1.0f);
    if (size <= PAD_DEAD_ZONE) {
        return 0.0f;
    }
    return std::copysign((size - PAD_DEAD_ZONE) / (1.0f - PAD_DEAD_ZONE), axis);
}

const std::vector<Gamepad::Button>& Gamepad::buttons() {
    static const std::vector<Button> BUTTONS = {
        {GLFW_GAMEPAD_BUTTON_START, Action::Pause},
        {GLFW_GAMEPAD_BUTTON_A, Action::Choose},
        {GLFW_GAMEPAD_BUTTON_B, Action::Back},
        {GLFW_GAMEPAD_BUTTON_Y, Action::FlyAgain},
        {GLFW_GAMEPAD_BUTTON_X, Action::NextTrack},
        {GLFW_GAMEPAD_BUTTON_BACK, Action::Controls},
        {GLFW_GAMEPAD_BUTTON_DPAD_UP, Action::MenuUp},
        {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, Action::MenuDown},
        {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, Action::MenuLeft},
        {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, Action::MenuRight},
    };
    return BUTTONS;
}

Gamepad::Update Gamepad::update(const PadState& state, double now) {
    Update update;
    const bool wasConnected = state_.connected;
    if (!state.connected && !state.unmapped.empty() && state.unmapped != state_.unmapped) {
        note_ = state.unmapped + " has no gamepad mapping: add one to " + GAMEPAD_MAPPINGS_FILE +
                " in the settings folder";
        noteUntil_ = now + 2.0 * PAD_NOTE_SECONDS;
    }
    if (state.connected && !wasConnected) {
        note_ = "Gamepad connected" + (state.name.empty() ? "" : ": " + state.name);
        noteUntil_ = now + PAD_NOTE_SECONDS;
        leftTriggerSeen_ = rightTriggerSeen_ = false;
    } else if (!state.connected && wasConnected) {
        note_ = "Gamepad removed";
        noteUntil_ = now + PAD_NOTE_SECONDS;
        update.removed = true;
    }
    if (state.connected) {
        // A button held while the pad arrives is no press.
        for (const Button& b : buttons()) {
            const std::size_t i = std::size_t(b.button);
            if (wasConnected && state.buttons[i] && !state_.buttons[i]) {
                update.pressed.push_back(b.action);
            }
        }
        leftTriggerSeen_ = leftTriggerSeen_ || state.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] < -0.9f;
        rightTriggerSeen_ =
            rightTriggerSeen_ || state.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] < -0.9f;
    }
    state_ = state.connected ? state : PadState{};
    state_.unmapped = state.unmapped;
    return update;
}

Steering Gamepad::steering() const {
    Steering s;
    if (!state_.connected) {
        return s;
    }
    // Stick forward reads negative y, and pitches the nose down as W does.
    s.pitch = deadZoned(state_.axes[GLFW_GAMEPAD_AXIS_LEFT_Y]);
    s.roll = deadZoned(state_.axes[GLFW_GAMEPAD_AXIS_LEFT_X]);
    float yaw = 0.0f;
    if (state_.buttons[GLFW_GAMEPAD_BUTTON_LEFT_BUMPER]) {
        yaw -= 1.0f;
    }
    if (state_.buttons[GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER]) {
        yaw += 1.0f;
    }
    const float triggers =
        triggerTravel(state_.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER], rightTriggerSeen_) -
        triggerTravel(state_.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER], leftTriggerSeen_);
    s.yaw = std::clamp(strongest(yaw, triggers), -1.0f, 1.0f);
    return s;
}

std::optional<std::string> Gamepad::note(double now) const {
    if (noteUntil_ && now < *noteUntil_) {
        return note_;
    }
    return std::nullopt;
}

Steering combineSteering(const Steering& keys, const Steering& pad) {
    return {strongest(keys.pitch, pad.pitch), strongest(keys.roll, pad.roll),
            strongest(keys.yaw, pad.yaw)};
}

PadState readGlfwGamepad() {
    PadState state;
    for (int jid = GLFW_JOYSTICK_1; jid <= GLFW_JOYSTICK_LAST; ++jid) {
        GLFWgamepadstate glfwState;
        if (!glfwJoystickIsGamepad(jid) || !glfwGetGamepadState(jid, &glfwState)) {
            continue;
        }
        state.connected = true;
        const char* name = glfwGetGamepadName(jid);
        state.name = name ? name : "";
        for (std::size_t i = 0; i < state.axes.size(); ++i) {
            state.axes[i] = glfwState.axes[i];
        }
        for (std::size_t i = 0; i < state.buttons.size(); ++i) {
            state.buttons[i] = glfwState.buttons[i] == GLFW_PRESS;
        }
        return state;
    }
    for (int jid = GLFW_JOYSTICK_1; jid <= GLFW_JOYSTICK_LAST; ++jid) {
        if (glfwJoystickPresent(jid)) {
            const char* name = glfwGetJoystickName(jid);
            state.unmapped = name && *name ? name : "A controller";
            break;
        }
    }
    return state;
}

void loadUserGamepadMappings() {
    const std::filesystem::path folder = userConfigDir();
    if (folder.empty()) {
        return;
    }
    const std::filesystem::path path = folder / GAMEPAD_MAPPINGS_FILE;
    const BoundedRead read = readBoundedFile(path.string(), MAX_MAPPINGS_BYTES);
    if (read.missing) {
        return;
    }
    if (!read.problem.empty()) {
        logMessage(LogLevel::ERROR, "Gamepad mappings " + path.string() + ": " + read.problem +
                                        ". The built-in mappings are used.");
        return;
    }
    const std::string& text = read.text;
    if (text.empty()) {
        return;
    }
    // GLFW skips a line it cannot read, and says so through its error callback.
    if (glfwUpdateGamepadMappings(text.c_str()) != GLFW_TRUE) {
        logMessage(LogLevel::ERROR, "Gamepad mappings " + path.string() +
                                        ": GLFW refused them. The built-in mappings are used.");
        return;
    }
    logMessage(LogLevel::INFO, "Gamepad mappings read from " + path.string() + ".");
}

Gamepad& gameGamepad() {
    // Lives until exit, like the other process-wide records.
    static Gamepad pad;
    return pad;
}

void pollGamepad(double now, bool flying) {
    static bool mappingsRead = false;
    if (!mappingsRead) {
        mappingsRead = true;
        loadUserGamepadMappings();
    }
    const Gamepad::Update update = gameGamepad().update(readGlfwGamepad(), now);
    for (int key : padKeyPresses(update, flying, keyBindings())) {
        KeyPresses::pressElsewhere(key);
    }
}

std::vector<int> padKeyPresses(const Gamepad::Update& update, bool flying,
                               const KeyBindings& bindings) {
    std::vector<int> keys;
    auto press = [&](Action action) {
        const int key = bindings.keys(action)[0];
        if (key == KeyBindings::NO_KEY) {
            // An action the player left without a key: its button does nothing.
            return;
        }
        keys.push_back(key);
    };
    for (Action action : update.pressed) {
        press(action);
    }
    if (update.removed && flying) {
        press(Action::Pause);
    }
    return keys;
}
