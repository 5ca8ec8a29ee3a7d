#include "game/KeyBindings.h"

#include "core/Config.h"
#include "core/Log.h"
#include "core/RegularFile.h"
#include "core/SettingsFile.h"

#include <GLFW/glfw3.h>
#include <INIReader.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>

namespace {

constexpr const char* CONTROLS_SECTION = "CONTROLS";

struct Defaults {
    Action action;
    KeyBindings::Keys keys;
};

constexpr int NONE = KeyBindings::NO_KEY;

const std::vector<ActionInfo>& table() {
    static const std::vector<ActionInfo> TABLE = {
        {Action::NoseDown, "NOSE_DOWN", "Nose down", ActionGroup::Flight, "Left stick up"},
        {Action::NoseUp, "NOSE_UP", "Nose up", ActionGroup::Flight, "Left stick down"},
        {Action::RollLeft, "ROLL_LEFT", "Roll left", ActionGroup::Flight, "Left stick left"},
        {Action::RollRight, "ROLL_RIGHT", "Roll right", ActionGroup::Flight, "Left stick right"},
        {Action::YawLeft, "YAW_LEFT", "Yaw left", ActionGroup::Flight, "LB / LT"},
        {Action::YawRight, "YAW_RIGHT", "Yaw right", ActionGroup::Flight, "RB / RT"},
        {Action::MenuUp, "MENU_UP", "Menu up", ActionGroup::Menu, "D-pad up"},
        {Action::MenuDown, "MENU_DOWN", "Menu down", ActionGroup::Menu, "D-pad down"},
        {Action::MenuLeft, "MENU_LEFT", "Less", ActionGroup::Menu, "D-pad left"},
        {Action::MenuRight, "MENU_RIGHT", "More", ActionGroup::Menu, "D-pad right"},
        {Action::Choose, "CHOOSE", "Choose / fly", ActionGroup::Menu, "A"},
        {Action::Back, "BACK", "Back / tracks", ActionGroup::Everywhere, "B"},
        {Action::Pause, "PAUSE", "Pause menu", ActionGroup::Everywhere, "Start"},
        {Action::FlyAgain, "FLY_AGAIN", "Fly again", ActionGroup::Everywhere, "Y"},
        {Action::NextTrack, "NEXT_TRACK", "Next track", ActionGroup::Everywhere, "X"},
        {Action::Controls, "CONTROLS", "Controls", ActionGroup::Everywhere, "Back"},
        {Action::FreeCamera, "FREE_CAMERA", "Free camera", ActionGroup::Everywhere, ""},
        {Action::Glow, "GLOW", "Glow", ActionGroup::Everywhere, ""},
        {Action::LevelOfDetail, "LEVEL_OF_DETAIL", "Level of detail", ActionGroup::Everywhere, ""},
        {Action::NormalMaps, "NORMAL_MAPS", "Normal maps", ActionGroup::Everywhere, ""},
        {Action::Overlay, "OVERLAY", "Overlay", ActionGroup::Everywhere, ""},
        {Action::Wireframe, "WIREFRAME", "Wireframe", ActionGroup::Everywhere, ""},
        {Action::CollisionLines, "COLLISION_LINES", "Collision lines", ActionGroup::Everywhere, ""},
        {Action::FullScreen, "FULL_SCREEN", "Full screen", ActionGroup::Everywhere, ""},
        {Action::Mute, "MUTE", "Mute", ActionGroup::Everywhere, ""},
    };
    return TABLE;
}

// The keys as a US keyboard places them (GLFW's key codes are those places).
const std::vector<Defaults>& defaultKeys() {
    static const std::vector<Defaults> KEYS = {
        {Action::NoseDown, {GLFW_KEY_W, GLFW_KEY_UP}},
        {Action::NoseUp, {GLFW_KEY_S, GLFW_KEY_DOWN}},
        {Action::RollLeft, {GLFW_KEY_A, GLFW_KEY_LEFT}},
        {Action::RollRight, {GLFW_KEY_D, GLFW_KEY_RIGHT}},
        {Action::YawLeft, {GLFW_KEY_Q, NONE}},
        {Action::YawRight, {GLFW_KEY_E, NONE}},
        {Action::MenuUp, {GLFW_KEY_UP, GLFW_KEY_W}},
        {Action::MenuDown, {GLFW_KEY_DOWN, GLFW_KEY_S}},
        {Action::MenuLeft, {GLFW_KEY_LEFT, GLFW_KEY_A}},
        {Action::MenuRight, {GLFW_KEY_RIGHT, GLFW_KEY_D}},
        {Action::Choose, {GLFW_KEY_ENTER, GLFW_KEY_KP_ENTER}},
        {Action::Back, {GLFW_KEY_ESCAPE, NONE}},
        {Action::Pause, {GLFW_KEY_P, NONE}},
        {Action::FlyAgain, {GLFW_KEY_R, NONE}},
        {Action::NextTrack, {GLFW_KEY_N, NONE}},
        {Action::Controls, {GLFW_KEY_F1, NONE}},
        {Action::FreeCamera, {GLFW_KEY_F9, NONE}},
        {Action::Glow, {GLFW_KEY_F5, NONE}},
        {Action::LevelOfDetail, {GLFW_KEY_F6, NONE}},
        {Action::NormalMaps, {GLFW_KEY_F7, NONE}},
        {Action::Overlay, {GLFW_KEY_F8, NONE}},
        {Action::Wireframe, {GLFW_KEY_F10, NONE}},
        {Action::CollisionLines, {GLFW_KEY_F4, NONE}},
        {Action::FullScreen, {GLFW_KEY_F11, NONE}},
        {Action::Mute, {GLFW_KEY_M, NONE}},
    };
    return KEYS;
}

struct KeyName {
    int key;
    std::string fileName; // by its US place
    std::string label;    // the fixed label, or what a US keyboard prints
    bool printing;        // the layout decides its label
};

const std::vector<KeyName>& keyNames() {
    static const std::vector<KeyName> NAMES = [] {
        std::vector<KeyName> names;
        auto printing = [&](int key, const char* fileName, const char* usLabel) {
            names.push_back({key, fileName, usLabel, true});
        };
        auto fixed = [&](int key, const std::string& fileName, const std::string& label) {
            names.push_back({key, fileName, label, false});
        };
        printing(GLFW_KEY_APOSTROPHE, "APOSTROPHE", "'");
        printing(GLFW_KEY_COMMA, "COMMA", ",");
        printing(GLFW_KEY_MINUS, "MINUS", "-");
        printing(GLFW_KEY_PERIOD, "PERIOD", ".");
        printing(GLFW_KEY_SLASH, "SLASH", "/");
        printing(GLFW_KEY_SEMICOLON, "SEMICOLON", ";");
        printing(GLFW_KEY_EQUAL, "EQUAL", "=");
        printing(GLFW_KEY_LEFT_BRACKET, "LEFT_BRACKET", "[");
        printing(GLFW_KEY_BACKSLASH, "BACKSLASH", "\\");
        printing(GLFW_KEY_RIGHT_BRACKET, "RIGHT_BRACKET", "]");
        printing(GLFW_KEY_GRAVE_ACCENT, "GRAVE_ACCENT", "`");
        // The extra key left of Z on European keyboards.
        printing(GLFW_KEY_WORLD_1, "WORLD_1", "<");
        printing(GLFW_KEY_WORLD_2, "WORLD_2", "World 2");
        for (int i = 0; i < 26; ++i) {
            const std::string letter(1, char('A' + i));
            names.push_back({GLFW_KEY_A + i, letter, letter, true});
        }
        for (int i = 0; i < 10; ++i) {
            const std::string digit(1, char('0' + i));
            names.push_back({GLFW_KEY_0 + i, digit, digit, true});
            fixed(GLFW_KEY_KP_0 + i, std::string("KP_").append(digit),
                  std::string("Keypad ").append(digit));
        }
        for (int i = 1; i <= 25; ++i) {
            const std::string name = std::string("F").append(std::to_string(i));
            fixed(GLFW_KEY_F1 + i - 1, name, name);
        }
        fixed(GLFW_KEY_SPACE, "SPACE", "Space");
        fixed(GLFW_KEY_ESCAPE, "ESCAPE", "Esc");
        fixed(GLFW_KEY_ENTER, "ENTER", "Enter");
        fixed(GLFW_KEY_TAB, "TAB", "Tab");
        fixed(GLFW_KEY_BACKSPACE, "BACKSPACE", "Backspace");
        fixed(GLFW_KEY_INSERT, "INSERT", "Insert");
        fixed(GLFW_KEY_DELETE, "DELETE", "Delete");
        fixed(GLFW_KEY_RIGHT, "RIGHT", "Right");
        fixed(GLFW_KEY_LEFT, "LEFT", "Left");
        fixed(GLFW_KEY_DOWN, "DOWN", "Down");
        fixed(GLFW_KEY_UP, "UP", "Up");
        fixed(GLFW_KEY_PAGE_UP, "PAGE_UP", "Page Up");
        fixed(GLFW_KEY_PAGE_DOWN, "PAGE_DOWN", "Page Down");
        fixed(GLFW_KEY_HOME, "HOME", "Home");
        fixed(GLFW_KEY_END, "END", "End");
        fixed(GLFW_KEY_CAPS_LOCK, "CAPS_LOCK", "Caps Lock");
        fixed(GLFW_KEY_SCROLL_LOCK, "SCROLL_LOCK", "Scroll Lock");
        fixed(GLFW_KEY_NUM_LOCK, "NUM_LOCK", "Num Lock");
        fixed(GLFW_KEY_PRINT_SCREEN, "PRINT_SCREEN", "Print Screen");
        fixed(GLFW_KEY_PAUSE, "PAUSE", "Pause");
        fixed(GLFW_KEY_KP_DECIMAL, "KP_DECIMAL", "Keypad .");
        fixed(GLFW_KEY_KP_DIVIDE, "KP_DIVIDE", "Keypad /");
        fixed(GLFW_KEY_KP_MULTIPLY, "KP_MULTIPLY", "Keypad *");
        fixed(GLFW_KEY_KP_SUBTRACT, "KP_SUBTRACT", "Keypad -");
        fixed(GLFW_KEY_KP_ADD, "KP_ADD", "Keypad +");
        fixed(GLFW_KEY_KP_ENTER, "KP_ENTER", "Keypad Enter");
        fixed(GLFW_KEY_KP_EQUAL, "KP_EQUAL", "Keypad =");
        fixed(GLFW_KEY_LEFT_SHIFT, "LEFT_SHIFT", "Left Shift");
        fixed(GLFW_KEY_LEFT_CONTROL, "LEFT_CONTROL", "Left Ctrl");
        fixed(GLFW_KEY_LEFT_ALT, "LEFT_ALT", "Left Alt");
        fixed(GLFW_KEY_LEFT_SUPER, "LEFT_SUPER", "Left Super");
        fixed(GLFW_KEY_RIGHT_SHIFT, "RIGHT_SHIFT", "Right Shift");
        fixed(GLFW_KEY_RIGHT_CONTROL, "RIGHT_CONTROL", "Right Ctrl");
        fixed(GLFW_KEY_RIGHT_ALT, "RIGHT_ALT", "Right Alt");
        fixed(GLFW_KEY_RIGHT_SUPER, "RIGHT_SUPER", "Right Super");
        fixed(GLFW_KEY_MENU, "MENU", "Menu");
        return names;
    }();
    return NAMES;
}

const KeyName* findKey(int key) {
    for (const KeyName& name : keyNames()) {
        if (name.key == key) {
            return &name;
        }
    }
    return nullptr;
}

bool clashes(ActionGroup a, ActionGroup b) {
    const bool apart = (a == ActionGroup::Flight && b == ActionGroup::Menu) ||
                       (a == ActionGroup::Menu && b == ActionGroup::Flight);
    return !apart;
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

const std::vector<ActionInfo>& actionTable() {
    return table();
}

const ActionInfo& actionInfo(Action action) {
    return table().at(std::size_t(action));
}

const char* glfwKeyNamer(int key) {
    return glfwGetKeyName(key, 0);
}

std::string keyLabel(int key, const KeyNamer& namer) {
    const KeyName* name = findKey(key);
    if (!name) {
        return "?";
    }
    if (!name->printing) {
        return name->label;
    }
    const char* printed = namer ? namer(key) : nullptr;
    std::string text = printed && *printed ? printed : name->label;
    // Keyboards print letters in capitals; other scripts' letters stay as
    // they are ("é" is printed as it is on a French key).
    if (text.size() == 1 && std::islower(static_cast<unsigned char>(text[0]))) {
        text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
    }
    return text;
}

std::string keyFileName(int key) {
    const KeyName* name = findKey(key);
    return name ? name->fileName : "NONE";
}

std::optional<int> keyFromFileName(const std::string& text) {
    const std::string wanted = upper(trimmed(text));
    for (const KeyName& name : keyNames()) {
        if (wanted == name.fileName) {
            return name.key;
        }
    }
    return std::nullopt;
}

KeyBindings::KeyBindings() {
    for (Keys& keys : keys_) {
        keys = {NO_KEY, NO_KEY};
    }
    for (const Defaults& d : defaultKeys()) {
        keys_[std::size_t(d.action)] = d.keys;
    }
}

const KeyBindings& KeyBindings::defaults() {
    static const KeyBindings DEFAULTS;
    return DEFAULTS;
}

bool KeyBindings::held(Action action, const std::function<bool(int key)>& isHeld) const {
    for (int key : keys(action)) {
        if (key != NO_KEY && isHeld(key)) {
            return true;
        }
    }
    return false;
}

std::optional<Action> KeyBindings::actionFor(int key) const {
    if (key == NO_KEY) {
        return std::nullopt;
    }
    for (const ActionInfo& info : table()) {
        if (info.group == ActionGroup::Flight) {
            continue;
        }
        const Keys& bound = keys(info.action);
        if (std::find(bound.begin(), bound.end(), key) != bound.end()) {
            return info.action;
        }
    }
    return std::nullopt;
}

std::optional<Action> KeyBindings::clashFor(Action action, int key) const {
    if (key == NO_KEY) {
        return std::nullopt;
    }
    const ActionGroup group = actionInfo(action).group;
    for (const ActionInfo& info : table()) {
        if (info.action == action || !clashes(group, info.group)) {
            continue;
        }
        const Keys& bound = keys(info.action);
        if (std::find(bound.begin(), bound.end(), key) != bound.end()) {
            return info.action;
        }
    }
    return std::nullopt;
}

std::string KeyBindings::rebind(Action action, int32_t slot, int key, const KeyNamer& namer) {
    if (slot < 0 || slot >= SLOTS) {
        return "There is no key slot " + std::to_string(slot + 1) + ".";
    }
    if (!findKey(key)) {
        return "That key cannot be bound.";
    }
    if (const std::optional<Action> other = clashFor(action, key)) {
        return keyLabel(key, namer) + " is already bound to " + actionInfo(*other).name;
    }
    Keys& keys = keys_[std::size_t(action)];
    for (int& bound : keys) {
        if (bound == key) {
            bound = NO_KEY;
        }
    }
    keys[std::size_t(slot)] = key;
    return {};
}

void KeyBindings::unbind(Action action, int32_t slot) {
    if (slot >= 0 && slot < SLOTS) {
        keys_[std::size_t(action)][std::size_t(slot)] = NO_KEY;
    }
}

std::string KeyBindings::label(Action action, const KeyNamer& namer) const {
    std::string text;
    for (int key : keys(action)) {
        if (key != NO_KEY) {
            text += (text.empty() ? "" : ", ") + keyLabel(key, namer);
        }
    }
    return text.empty() ? "-" : text;
}

std::string KeyBindings::fileValue(Action action) const {
    std::string text;
    for (int key : keys(action)) {
        if (key != NO_KEY) {
            text += (text.empty() ? "" : ", ") + keyFileName(key);
        }
    }
    return text.empty() ? "NONE" : text;
}

void KeyBindings::readFile(const std::string& path) {
    if (!regularFileProblem(path).empty()) {
        return;
    }
    // The settings reader has said what is wrong with a file it cannot read.
    const BoundedRead file = readBoundedFile(path, MAX_SETTINGS_BYTES);
    if (!file.problem.empty()) {
        return;
    }
    INIReader reader(file.text.data(), file.text.size());
    if (reader.ParseError() == -1) {
        return;
    }
    const KeyBindings before = *this;
    auto reject = [&](const ActionInfo& info, const std::string& text, const std::string& why) {
        logMessage(LogLevel::ERROR, std::string("Rejected ") + info.iniKey + " = " + text + " in " +
                                        path + ": " + why + ". Keeping " +
                                        before.fileValue(info.action) + ".");
    };
    std::vector<std::pair<const ActionInfo*, std::string>> fromFile;
    for (const ActionInfo& info : table()) {
        const std::string text = reader.Get(CONTROLS_SECTION, info.iniKey, "");
        if (text.empty()) {
            continue;
        }
        Keys keys{NO_KEY, NO_KEY};
        std::string problem;
        std::size_t count = 0;
        std::size_t at = 0;
        while (problem.empty() && at <= text.size()) {
            const std::size_t comma = std::min(text.find(',', at), text.size());
            const std::string name = trimmed(text.substr(at, comma - at));
            at = comma + 1;
            if (upper(name) == "NONE" && count == 0 && at > text.size()) {
                break;
            }
            const std::optional<int> key = keyFromFileName(name);
            if (!key) {
                problem = (name.empty() ? std::string("an empty key name")
                                        : "\"" + name + "\" is no key name") +
                          " (keys are named by their place on a US keyboard: W, UP, F9, "
                          "ESCAPE, KP_ENTER, SEMICOLON, or NONE)";
            } else if (std::find(keys.begin(), keys.end(), *key) != keys.end()) {
                continue;
            } else if (count == std::size_t(SLOTS)) {
                problem = "an action takes at most two keys";
            } else {
                keys[count++] = *key;
            }
        }
        if (!problem.empty()) {
            reject(info, text, problem);
            continue;
        }
        keys_[std::size_t(info.action)] = keys;
        fromFile.emplace_back(&info, text);
    }
    // A file's binding that clashes goes back to what it was; that may bring
    // back a key another of the file's bindings took, so look again until
    // nothing clashes (each action goes back at most once).
    for (bool again = true; again;) {
        again = false;
        for (auto entry = fromFile.begin(); entry != fromFile.end(); ++entry) {
            const Action action = entry->first->action;
            for (int key : keys(action)) {
                if (const std::optional<Action> other = clashFor(action, key)) {
                    reject(*entry->first, entry->second,
                           keyFileName(key) + " is already bound to " + actionInfo(*other).iniKey);
                    keys_[std::size_t(action)] = before.keys(action);
                    fromFile.erase(entry);
                    again = true;
                    break;
                }
            }
            if (again) {
                break;
            }
        }
    }
}

std::vector<SettingChange> KeyBindings::changesFrom(const KeyBindings& before) const {
    std::vector<SettingChange> changes;
    for (const ActionInfo& info : table()) {
        if (keys(info.action) != before.keys(info.action)) {
            changes.push_back({CONTROLS_SECTION, info.iniKey, fileValue(info.action)});
        }
    }
    return changes;
}

KeyBindings& keyBindings() {
    static KeyBindings instance = [] {
        KeyBindings bindings;
        bindings.readFile(configPath());
        const std::string user = userConfigPath();
        if (!user.empty()) {
            bindings.readFile(user);
        }
        return bindings;
    }();
    return instance;
}

bool savePlayerSettings(const Config& configBefore, const KeyBindings& bindingsBefore) {
    std::vector<SettingChange> changes = changedPlayerSettings(configBefore, config());
    for (SettingChange& change : keyBindings().changesFrom(bindingsBefore)) {
        changes.push_back(std::move(change));
    }
    return saveUserSettings(changes);
}

std::optional<Action> actionForKey(int key, int) {
    return keyBindings().actionFor(key);
}

namespace {

// An action's line after its keys: "nose down (gamepad: left stick up)".
std::string helpDescription(const ActionInfo& info) {
    std::string text = info.name;
    text[0] = char(std::tolower(static_cast<unsigned char>(text[0])));
    if (*info.padButton) {
        text += std::string(" (gamepad: ") + info.padButton + ")";
    }
    return text;
}

std::string usLabel(Action action) {
    return KeyBindings::defaults().label(action, [](int) -> const char* { return nullptr; });
}

} // namespace

std::string defaultKeysText() {
    std::string text;
    for (const ActionInfo& info : table()) {
        std::string line = "  " + usLabel(info.action);
        line.resize(std::max<std::size_t>(line.size() + 1, 22), ' ');
        text += line + helpDescription(info) + "\n";
    }
    return text;
}

std::string defaultKeysManText() {
    std::string text;
    for (const ActionInfo& info : table()) {
        text += ".TP\n.B " + usLabel(info.action) + "\n" + helpDescription(info) + "\n";
    }
    return text;
}
