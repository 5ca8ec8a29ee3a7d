#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct Config;
struct SettingChange;

// Everything the player does with a key or a gamepad button.
enum class Action : int32_t {
    // Flight, read as held while flying (the free camera moves by them too).
    NoseDown,
    NoseUp,
    RollLeft,
    RollRight,
    YawLeft,
    YawRight,
    // Menus: move, change a value, choose.
    MenuUp,
    MenuDown,
    MenuLeft,
    MenuRight,
    Choose,
    // Everywhere.
    Back,
    Pause,
    FlyAgain,
    NextTrack,
    Controls,
    FreeCamera,
    Glow,
    LevelOfDetail,
    NormalMaps,
    Overlay,
    Wireframe,
    CollisionLines,
    FullScreen,
    Mute,
};
inline constexpr int32_t ACTION_COUNT = int32_t(Action::Mute) + 1;

// Where an action acts. A key may serve one flight action and one menu
// action (Up pitches in flight and moves up in a menu, which are never read
// at once); an action of Everywhere shares its key with nothing.
enum class ActionGroup : int32_t { Flight, Menu, Everywhere };

struct ActionInfo {
    Action action;
    const char* iniKey; // its key in [CONTROLS], "NOSE_DOWN"
    const char* name;   // as the controls screen lists it, "Nose down"
    ActionGroup group;
    const char* padButton; // the gamepad's button for it, "" for none
};

// Every action, in the controls screen's order.
const std::vector<ActionInfo>& actionTable();
const ActionInfo& actionInfo(Action action);

// A key's printed label under the current keyboard layout, for printing
// keys; null (or empty) when it has none. GLFW's glfwGetKeyName in the game.
using KeyNamer = std::function<const char*(int key)>;
const char* glfwKeyNamer(int key);

// A key (a GLFW key code, which names a key by its place on a US keyboard)
// as this keyboard labels it: letters in capitals, other printing keys as
// they print ("," or "é" on a French keyboard), and fixed names for keys
// that print nothing ("Up", "Esc", "F9", "Keypad Enter"). "?" for an
// unknown key.
std::string keyLabel(int key, const KeyNamer& namer = glfwKeyNamer);

// A key's name in the settings file: the GLFW key code's own name, by its
// US position ("W", "UP", "F9", "KP_ENTER", "SEMICOLON"), and back; nullopt
// for a name that is no key. Names match without regard to case.
std::string keyFileName(int key);
std::optional<int> keyFromFileName(const std::string& name);

// Which keys do what: each action has up to two keys, kept by key position
// so that a binding stays on its key whatever the layout prints on it.
class KeyBindings {
public:
    static constexpr int32_t SLOTS = 2;
    static constexpr int NO_KEY = -1; // GLFW_KEY_UNKNOWN
    using Keys = std::array<int, SLOTS>;

    // The default keys (the ones the README and --help list).
    KeyBindings();
    static const KeyBindings& defaults();

    const Keys& keys(Action action) const { return keys_[std::size_t(action)]; }
    // Whether any key of the action is held.
    bool held(Action action, const std::function<bool(int key)>& isHeld) const;
    // The menu or everywhere action a pressed key stands for; never a flight
    // action, which is read as held. nullopt for a key bound to none.
    std::optional<Action> actionFor(int key) const;

    // Puts `key` in the action's slot (0 or 1). Refused, with a sentence
    // for the player, when another action it would clash with has the key:
    // "K is already bound to Pause". "" when done. A key already on this
    // action moves to `slot`.
    std::string rebind(Action action, int32_t slot, int key, const KeyNamer& namer = glfwKeyNamer);
    // Empties a slot (an action may have no key at all).
    void unbind(Action action, int32_t slot);
    // The action the key is bound to that `action` would clash with.
    std::optional<Action> clashFor(Action action, int key) const;

    // The actions' keys as this keyboard labels them: "W, Up"; "-" for none.
    std::string label(Action action, const KeyNamer& namer = glfwKeyNamer) const;
    // The settings file's value for an action: "W, UP"; "NONE" for none.
    std::string fileValue(Action action) const;

    // The [CONTROLS] keys of the settings file at `path` over these
    // bindings. An unknown key name, or a binding that clashes with another,
    // is rejected with one ERROR line naming the file and the key, and that
    // action keeps its key. A missing or unreadable file changes nothing
    // (the settings reader reports those).
    void readFile(const std::string& path);

    // The settings file's lines for every action whose keys differ from `before`.
    std::vector<SettingChange> changesFrom(const KeyBindings& before) const;

    bool operator==(const KeyBindings& other) const { return keys_ == other.keys_; }

private:
    std::array<Keys, ACTION_COUNT> keys_;
};

// The process-wide bindings: the shipped settings file's [CONTROLS], then
// the user's over them, on first use; kept until exit, changed by the
// controls menu (which saves them with saveUserSettings).
KeyBindings& keyBindings();

// Saves in the user's Kelvaro.ini, in one write, what the player changed
// since `configBefore` and `bindingsBefore` were taken: config()'s player
// settings (changedPlayerSettings) and keyBindings(). Keys not changed stay
// as they are in the file, or unset. True when written or when nothing
// changed; a failure is said in one ERROR line naming the file.
bool savePlayerSettings(const Config& configBefore, const KeyBindings& bindingsBefore);

// The action a pressed key (from the window's key events) stands for under
// the process-wide bindings. `scancode` is the key's own code, for keys GLFW
// has no name for (none of them can be bound: nullopt).
std::optional<Action> actionForKey(int key, int scancode = 0);

// The default keys, one action a line ("  W, Up           nose down
// (gamepad: left stick up)"), for --help: the keys as a US keyboard prints them.
std::string defaultKeysText();
// The same as the man page's KEYS entries (".TP", ".B keys", the line).
std::string defaultKeysManText();
