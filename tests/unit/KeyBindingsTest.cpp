#include "game/KeyBindings.h"

#include "core/Config.h"
#include "core/SettingsFile.h"

#include "ScopedEnvironment.h"

#include "TempDir.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace {

// A French (AZERTY) keyboard's labels for the keys a test looks at, by US place.
const char* frenchNamer(int key) {
    static const std::map<int, const char*> LABELS = {
        {GLFW_KEY_Q, "a"},        {GLFW_KEY_W, "z"}, {GLFW_KEY_A, "q"},
        {GLFW_KEY_Z, "w"},        {GLFW_KEY_M, ","}, {GLFW_KEY_SEMICOLON, "m"},
        {GLFW_KEY_2, "\xC3\xA9"}, {GLFW_KEY_E, "e"}, {GLFW_KEY_P, "p"},
    };
    const auto found = LABELS.find(key);
    return found == LABELS.end() ? nullptr : found->second;
}

const char* usNamer(int) {
    return nullptr;
}

struct Read {
    KeyBindings bindings;
    std::string console;
};

Read readControls(const std::string& section) {
    TempDir dir;
    const auto path = dir.write("Kelvaro.ini", "[CONTROLS]\n" + section);
    KeyBindings bindings;
    testing::internal::CaptureStdout();
    bindings.readFile(path.string());
    return {bindings, testing::internal::GetCapturedStdout()};
}

} // namespace

TEST(KeyBindings, EveryActionHasANameAnINIKeyAndTheDefaultsDoNotClash) {
    const KeyBindings& keys = KeyBindings::defaults();
    std::set<std::string> iniKeys;
    ASSERT_EQ(actionTable().size(), std::size_t(ACTION_COUNT));
    for (int32_t i = 0; i < ACTION_COUNT; ++i) {
        const ActionInfo& info = actionInfo(Action(i));
        EXPECT_EQ(info.action, Action(i));
        EXPECT_TRUE(iniKeys.insert(info.iniKey).second) << info.iniKey;
        for (int key : keys.keys(info.action)) {
            EXPECT_FALSE(keys.clashFor(info.action, key)) << info.name;
        }
    }
    EXPECT_EQ(keys.label(Action::NoseDown, usNamer), "W, Up");
    EXPECT_EQ(keys.label(Action::Choose, usNamer), "Enter, Keypad Enter");
    EXPECT_EQ(keys.label(Action::Controls, usNamer), "F1");
    EXPECT_EQ(keys.label(Action::Back, usNamer), "Esc");
}

TEST(KeyBindings, KeysAreKeptByPlaceAndLabelledAsTheKeyboardPrintsThem) {
    const KeyBindings& keys = KeyBindings::defaults();
    // The key in the US "M" place prints "," on a French keyboard: mute
    // stays on that key, and says so.
    EXPECT_EQ(keys.label(Action::Mute, frenchNamer), ",");
    EXPECT_EQ(keys.label(Action::NoseDown, frenchNamer), "Z, Up");
    EXPECT_EQ(keys.label(Action::YawLeft, frenchNamer), "A");
    EXPECT_EQ(keyLabel(GLFW_KEY_2, frenchNamer), "\xC3\xA9");
    EXPECT_EQ(keyLabel(GLFW_KEY_SEMICOLON, frenchNamer), "M");
    // Keys that print nothing have one name everywhere.
    EXPECT_EQ(keyLabel(GLFW_KEY_F9, frenchNamer), "F9");
    EXPECT_EQ(keyLabel(GLFW_KEY_ESCAPE, frenchNamer), "Esc");
    EXPECT_EQ(keyLabel(GLFW_KEY_SPACE, frenchNamer), "Space");
    EXPECT_EQ(keyLabel(GLFW_KEY_KP_3, frenchNamer), "Keypad 3");
    // Without a label from the layout, the US one.
    EXPECT_EQ(keyLabel(GLFW_KEY_SLASH, usNamer), "/");
    EXPECT_EQ(keyLabel(GLFW_KEY_UNKNOWN, usNamer), "?");
}

TEST(KeyBindings, KeyNamesInTheFileRoundTrip) {
    for (int key : {GLFW_KEY_W, GLFW_KEY_0, GLFW_KEY_UP, GLFW_KEY_F12, GLFW_KEY_KP_ENTER,
                    GLFW_KEY_SEMICOLON, GLFW_KEY_WORLD_1, GLFW_KEY_ESCAPE, GLFW_KEY_KP_7}) {
        EXPECT_EQ(keyFromFileName(keyFileName(key)), key) << keyFileName(key);
    }
    EXPECT_EQ(keyFromFileName(" kp_enter "), GLFW_KEY_KP_ENTER);
    EXPECT_FALSE(keyFromFileName("SHIFT+W"));
    EXPECT_FALSE(keyFromFileName(""));
}

TEST(KeyBindings, PressedKeysStandForMenuAndEverywhereActionsOnly) {
    const KeyBindings& keys = KeyBindings::defaults();
    EXPECT_EQ(keys.actionFor(GLFW_KEY_P), Action::Pause);
    EXPECT_EQ(keys.actionFor(GLFW_KEY_F1), Action::Controls);
    EXPECT_EQ(keys.actionFor(GLFW_KEY_F11), Action::FullScreen);
    EXPECT_EQ(keys.actionFor(GLFW_KEY_KP_ENTER), Action::Choose);
    // W pitches while flying (held) and moves up in a menu (pressed).
    EXPECT_EQ(keys.actionFor(GLFW_KEY_W), Action::MenuUp);
    EXPECT_FALSE(keys.actionFor(GLFW_KEY_Q));
    EXPECT_FALSE(keys.actionFor(GLFW_KEY_UNKNOWN));
    EXPECT_TRUE(keys.held(Action::NoseDown, [](int key) { return key == GLFW_KEY_UP; }));
    EXPECT_FALSE(keys.held(Action::NoseDown, [](int key) { return key == GLFW_KEY_S; }));
}

TEST(KeyBindings, RebindingRefusesAKeyAnotherActionHasWithAWord) {
    KeyBindings keys;
    struct Case {
        Action action;
        int32_t slot;
        int key;
        const char* refusal; // "" when taken
    };
    const Case cases[] = {
        {Action::Pause, 0, GLFW_KEY_K, ""},
        {Action::FlyAgain, 0, GLFW_KEY_K, "K is already bound to Pause menu"},
        {Action::NoseDown, 0, GLFW_KEY_S, "S is already bound to Nose up"},
        {Action::Mute, 0, GLFW_KEY_W, "W is already bound to Nose down"},
        {Action::YawLeft, 1, GLFW_KEY_LEFT, "Left is already bound to Roll left"},
        // A flight key may also act in menus: they are never read at once.
        {Action::YawLeft, 1, GLFW_KEY_KP_ENTER, ""},
        {Action::MenuUp, 0, GLFW_KEY_I, ""},
        {Action::Glow, 2, GLFW_KEY_G, "There is no key slot 3."},
        {Action::Glow, 0, GLFW_KEY_UNKNOWN, "That key cannot be bound."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keys.rebind(c.action, c.slot, c.key, usNamer), c.refusal) << c.refusal;
    }
    EXPECT_EQ(keys.rebind(Action::Pause, 0, GLFW_KEY_M, frenchNamer), ", is already bound to Mute");
    EXPECT_EQ(keys.keys(Action::Pause)[0], GLFW_KEY_K);
    EXPECT_EQ(keys.keys(Action::YawLeft)[1], GLFW_KEY_KP_ENTER);
    EXPECT_EQ(keys.actionFor(GLFW_KEY_K), Action::Pause);
    EXPECT_FALSE(keys.actionFor(GLFW_KEY_P));
    // A key moved within an action leaves its old slot.
    ASSERT_EQ(keys.rebind(Action::NoseDown, 1, GLFW_KEY_W), "");
    EXPECT_EQ(keys.keys(Action::NoseDown)[0], KeyBindings::NO_KEY);
    keys.unbind(Action::NoseDown, 1);
    EXPECT_EQ(keys.label(Action::NoseDown, usNamer), "-");
    EXPECT_EQ(keys.fileValue(Action::NoseDown), "NONE");
}

TEST(KeyBindings, TheControlsSectionIsReadAndItsMistakesNamed) {
    const Read swapped = readControls("pause = r\nFLY_AGAIN = P, KP_0\nNOSE_DOWN = NONE\n");
    EXPECT_EQ(swapped.console, "");
    EXPECT_EQ(swapped.bindings.keys(Action::Pause)[0], GLFW_KEY_R);
    EXPECT_EQ(swapped.bindings.label(Action::FlyAgain, usNamer), "P, Keypad 0");
    EXPECT_EQ(swapped.bindings.label(Action::NoseDown, usNamer), "-");

    const Read bad = readControls("PAUSE = W\nMUTE = HYPER\nGLOW = F1, F2, F3\n");
    EXPECT_EQ(bad.bindings, KeyBindings::defaults());
    EXPECT_NE(bad.console.find("[ ERROR ]\tRejected PAUSE = W in "), std::string::npos);
    EXPECT_NE(bad.console.find(": W is already bound to NOSE_DOWN. Keeping P."), std::string::npos)
        << bad.console;
    EXPECT_NE(bad.console.find("Rejected MUTE = HYPER in "), std::string::npos);
    EXPECT_NE(bad.console.find("\"HYPER\" is no key name"), std::string::npos);
    EXPECT_NE(bad.console.find("an action takes at most two keys. Keeping F5."), std::string::npos);
    // A rejected binding that gives its key back to another of the file's
    // bindings takes that one down too: nothing clashes afterwards.
    const Read chain = readControls("PAUSE = W\nFLY_AGAIN = P\n");
    EXPECT_EQ(chain.bindings.keys(Action::Pause)[0], GLFW_KEY_P);
    EXPECT_EQ(chain.bindings.keys(Action::FlyAgain)[0], GLFW_KEY_R);
}

TEST(KeyBindings, ChangedBindingsBecomeTheControlsSectionsLines) {
    KeyBindings keys;
    ASSERT_EQ(keys.rebind(Action::Mute, 0, GLFW_KEY_SEMICOLON), "");
    const std::vector<SettingChange> changes = keys.changesFrom(KeyBindings::defaults());
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].section, "CONTROLS");
    EXPECT_EQ(changes[0].key, "MUTE");
    EXPECT_EQ(changes[0].value, "SEMICOLON");
    TempDir dir;
    const auto path = dir.write("Kelvaro.ini", "; keep me\n");
    ASSERT_EQ(changeSettingsFile(path.string(), changes), "");
    KeyBindings read;
    read.readFile(path.string());
    EXPECT_EQ(read, keys);
}

TEST(KeyBindings, ThePlayersChangesAreSavedInOneWriteKeepingTheirFile) {
    TempDir dir;
    ScopedEnvironment env;
    env.set("XDG_CONFIG_HOME", dir.path().string());
    const auto path = dir.write("kelvaro19/Kelvaro.ini", "; my settings\n[SOUND]\nMUTE = yes\n");
    testing::internal::CaptureStdout();
    const Config configBefore = config();
    testing::internal::GetCapturedStdout();
    const KeyBindings bindingsBefore = keyBindings();
    config().musicVolume = 0.25f;
    ASSERT_EQ(keyBindings().rebind(Action::Pause, 1, GLFW_KEY_SPACE), "");
    EXPECT_TRUE(savePlayerSettings(configBefore, bindingsBefore));
    config() = configBefore;
    keyBindings() = bindingsBefore;
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "; my settings\n[SOUND]\nMUTE = yes\nMUSIC_VOLUME = 0.25\n\n[CONTROLS]\n"
                    "PAUSE = P, SPACE\n");
}

TEST(KeyBindings, TheHelpListsEveryActionWithItsDefaultKeys) {
    const std::string text = defaultKeysText();
    EXPECT_NE(text.find("  W, Up               nose down (gamepad: Left stick up)\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  Enter, Keypad Enter choose / fly (gamepad: A)\n"), std::string::npos);
    EXPECT_NE(text.find("  M                   mute\n"), std::string::npos) << text;
    std::size_t lines = 0;
    for (const ActionInfo& info : actionTable()) {
        std::string name = info.name;
        name[0] = char(std::tolower(static_cast<unsigned char>(name[0])));
        lines +=
            text.find(" " + name + (*info.padButton ? " (gamepad: " : "\n")) != std::string::npos;
    }
    EXPECT_EQ(lines, actionTable().size());
}

TEST(KeyBindings, TheManPageListsTheDefaultKeysOfTheTable) {
    std::ifstream in(std::string(KELVARO_SOURCE_DIR) + "/packaging/kelvaro19.6.in");
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t section = page.find(".SH KEYS\n");
    ASSERT_NE(section, std::string::npos);
    const std::size_t first = page.find(".TP\n", section);
    const std::size_t end = page.find(".SH FILES\n", section);
    ASSERT_LT(first, end);
    EXPECT_EQ(page.substr(first, end - first), defaultKeysManText());
}
