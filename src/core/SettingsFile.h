#pragma once

#include <string>
#include <string_view>
#include <vector>

struct Config;

// One key's new value in a section of a settings (INI) file.
struct SettingChange {
    std::string section; // "SOUND"
    std::string key;     // "MUSIC_VOLUME"
    std::string value;   // the text after "KEY = "
};

// The text of a settings file with `changes` made, everything else kept line
// for line: comments, blank lines, other keys and sections, their order and
// spelling, the line ends. Sections and keys match without regard to case,
// as the reader takes them. A key that is there gets its value in place (an
// inline "; comment" after it stays); a key that is not is added after the
// last key of its section; a section that is not there is added at the end.
std::string applySettingChanges(std::string_view text, const std::vector<SettingChange>& changes);

// Makes the changes in the settings file at `path`, written whole or not at
// all (see writeFileWhole). A missing file is made, with a comment line that
// says what it is. A file that cannot be read (a folder, larger than the
// reader's ceiling) is left alone. Returns "" on success, else why not.
std::string changeSettingsFile(const std::string& path, const std::vector<SettingChange>& changes);

// Makes the changes in the user's own settings file (userConfigPath()), never
// in the shipped one, and logs one ERROR line naming the file when it cannot.
// True when they were written (or there was nothing to write).
bool saveUserSettings(const std::vector<SettingChange>& changes);

// The player's settings that differ between two configurations, as changes
// to the user's file: the volumes and mute, invert pitch, the frame rate in
// the overlay, the glow, its passes, normal maps and the level of detail.
// Only what differs is written, so that keys the player never touched stay
// unset and keep following the shipped file and the software preset.
std::vector<SettingChange> changedPlayerSettings(const Config& before, const Config& after);

// A setting's value as the file spells it.
std::string settingText(bool value);
std::string settingText(float value);
std::string settingText(long value);
