#include "core/SettingsFile.h"

#include "core/Config.h"
#include "core/Log.h"
#include "core/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The reader's own ceiling for a settings file: a larger one is no settings
// file, and is not rewritten.

constexpr const char* NEW_FILE_HEADER =
    "; Kelvaro19: your own settings, read over the shipped Kelvaro.ini key by key.\n"
    "; The game writes here what you change in its menus; your comments are kept.\n";

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// One line of the file, split as the reader sees it.
struct Line {
    std::string text; // without its '\n'
    bool section = false;
    bool keyLine = false;
    std::string name; // the section's or the key's
};

Line classify(std::string text) {
    Line line{std::move(text), false, false, {}};
    std::string_view body = trimmed(line.text);
    if (body.empty() || body.front() == ';' || body.front() == '#') {
        return line;
    }
    if (body.front() == '[') {
        const std::size_t close = body.find(']');
        if (close != std::string_view::npos) {
            line.section = true;
            line.name = std::string(trimmed(body.substr(1, close - 1)));
        }
        return line;
    }
    const std::size_t split = body.find_first_of("=:");
    if (split != std::string_view::npos) {
        line.keyLine = true;
        line.name = std::string(trimmed(body.substr(0, split)));
    }
    return line;
}

// The key line with its value replaced: the key's spelling and indent, the
// separator and an inline comment stay.
std::string withValue(const std::string& text, const std::string& value) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const std::size_t split = text.find_first_of("=:");
    std::size_t valueStart = split + 1;
    while (valueStart < text.size() && blank(text[valueStart])) {
        ++valueStart;
    }
    const std::size_t lineEnd =
        !text.empty() && text.back() == '\r' ? text.size() - 1 : text.size();
    // The reader takes ';' after a blank as the start of a comment.
    std::size_t comment = lineEnd;
    for (std::size_t i = valueStart; i < lineEnd; ++i) {
        if (text[i] == ';' && blank(text[i - 1])) {
            comment = i;
            break;
        }
    }
    if (comment == lineEnd) {
        return text.substr(0, valueStart) + value + text.substr(lineEnd);
    }
    std::size_t valueEnd = comment;
    while (valueEnd > valueStart && blank(text[valueEnd - 1])) {
        --valueEnd;
    }
    const std::string gap =
        valueEnd == valueStart ? " " : text.substr(valueEnd, comment - valueEnd);
    return text.substr(0, valueStart) + value + gap + text.substr(comment);
}

} // namespace

std::string applySettingChanges(std::string_view text, const std::vector<SettingChange>& changes) {
    std::vector<Line> lines;
    const bool crlf = text.find("\r\n") != std::string_view::npos;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        lines.push_back(classify(std::string(text.substr(at, stop - at))));
        at = stop + 1;
    }
    for (const SettingChange& change : changes) {
        std::string section;
        bool found = false;
        // Where a missing key goes: after the last key (or the header) of
        // the section's last appearance.
        std::optional<std::size_t> insertAfter;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            Line& line = lines[i];
            if (line.section) {
                section = line.name;
                if (sameName(section, change.section)) {
                    insertAfter = i;
                }
            } else if (line.keyLine && sameName(section, change.section)) {
                insertAfter = i;
                // Every copy of the key is set: the reader joins repeated
                // keys, and a stale copy would spoil the value.
                if (sameName(line.name, change.key)) {
                    line.text = withValue(line.text, change.value);
                    found = true;
                }
            }
        }
        if (found) {
            continue;
        }
        const std::string keyText =
            change.key + " = " + change.value + (crlf ? std::string("\r") : std::string());
        if (insertAfter) {
            lines.insert(lines.begin() + std::ptrdiff_t(*insertAfter) + 1, classify(keyText));
        } else {
            if (!lines.empty() && !trimmed(lines.back().text).empty()) {
                lines.push_back(classify(crlf ? "\r" : ""));
            }
            lines.push_back(classify("[" + change.section + "]" + (crlf ? "\r" : "")));
            lines.push_back(classify(keyText));
        }
    }
    std::string out;
    for (const Line& line : lines) {
        out += line.text;
        out += '\n';
    }
    return out;
}

std::string changeSettingsFile(const std::string& requested,
                               const std::vector<SettingChange>& changes) {
    std::error_code error;
    std::string path = requested;
    // A settings file kept as a link into a folder of dotfiles stays a link:
    // the file it names is the one replaced.
    if (fs::is_symlink(fs::symlink_status(path, error))) {
        path = fs::weakly_canonical(path, error).string();
        if (error) {
            return "its link cannot be followed (" + error.message() + ")";
        }
    }
    const BoundedRead read = readBoundedFile(path, MAX_SETTINGS_BYTES);
    if (!read.problem.empty() && !read.missing) {
        return read.problem;
    }
    if (changes.empty()) {
        return {};
    }
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty()) {
        fs::create_directories(folder, error);
        if (error) {
            return "its folder cannot be made (" + error.message() + ")";
        }
    }
    const std::string text = read.missing ? NEW_FILE_HEADER : read.text;
    const WholeWrite written = writeFileWhole(path, applySettingChanges(text, changes));
    return written.problem.empty() ? std::string() : "it " + written.problem;
}

bool saveUserSettings(const std::vector<SettingChange>& changes) {
    if (changes.empty()) {
        return true;
    }
    const std::string path = userConfigPath();
    std::string problem;
    if (path.empty()) {
        problem = "there is no home folder to keep it in";
    } else {
        std::error_code error;
        const fs::path shipped = fs::weakly_canonical(configPath(), error);
        if (!error && fs::weakly_canonical(path, error) == shipped) {
            problem = "it is the shipped settings file, which the game never writes";
        } else {
            problem = changeSettingsFile(path, changes);
        }
    }
    if (!problem.empty()) {
        logMessage(LogLevel::ERROR, "Settings could not be saved to " +
                                        (path.empty() ? std::string(CONFIG_FILE_NAME) : path) +
                                        ": " + problem + ".");
        return false;
    }
    return true;
}

std::string settingText(bool value) {
    return value ? "true" : "false";
}

std::string settingText(float value) {
    std::ostringstream text;
    // Two decimals are all a menu's steps need; 0.30000001 would only puzzle
    // the player reading the file.
    text << std::setprecision(6) << std::round(double(value) * 1000.0) / 1000.0;
    return text.str();
}

std::string settingText(long value) {
    return std::to_string(value);
}

std::vector<SettingChange> changedPlayerSettings(const Config& before, const Config& after) {
    struct Key {
        const char* section;
        const char* key;
        std::function<std::string(const Config&)> text;
    };
    static const std::vector<Key> KEYS = {
        {"SOUND", "SOUND_VOLUME", [](const Config& c) { return settingText(c.soundVolume); }},
        {"SOUND", "MUSIC_VOLUME", [](const Config& c) { return settingText(c.musicVolume); }},
        {"SOUND", "MUTE", [](const Config& c) { return settingText(c.muted); }},
        {"CONTROLS", "INVERT_PITCH", [](const Config& c) { return settingText(c.invertPitch); }},
        {"GRAPHICS", "SHOW_FPS", [](const Config& c) { return settingText(c.showFps); }},
        {"GRAPHICS", "GLOW", [](const Config& c) { return settingText(c.glow); }},
        {"GRAPHICS", "BLUR_ITERATIONS",
         [](const Config& c) { return settingText(long(c.blurIterations)); }},
        {"GRAPHICS", "NORMAL_MAPS", [](const Config& c) { return settingText(c.normalMaps); }},
        {"GRAPHICS", "LEVEL_OF_DETAIL",
         [](const Config& c) { return settingText(long(c.levelOfDetail)); }},
        {"GRAPHICS", "FULLSCREEN_MODE",
         [](const Config& c) { return settingText(c.fullscreenMode); }},
        // The preset's automatic scale is no key: only a scale of the player's is kept.
        {"GRAPHICS", "RENDER_SCALE",
         [](const Config& c) {
             return c.scenePixels > 0 ? std::string() : settingText(c.renderScale);
         }},
    };
    std::vector<SettingChange> changes;
    for (const Key& key : KEYS) {
        const std::string now = key.text(after);
        if (!now.empty() && now != key.text(before)) {
            changes.push_back({key.section, key.key, now});
        }
    }
    return changes;
}
