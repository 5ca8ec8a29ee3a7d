#pragma once

#include <optional>
#include <string>

// What the player asked for on the command line:
//   kelvaro19              the shipped level
//   kelvaro19 LEVEL        play a level file (relative to the working folder, or absolute)
//   kelvaro19 --check LEVEL  check a level without a window
//   kelvaro19 --tracks     print the track list for scripts
//   kelvaro19 --help       the usage
//   kelvaro19 --version    the version
struct CommandLine {
    enum class Action { Play, Check, Tracks, Help, Version, Usage };

    Action action = Action::Play;
    // The level file; empty plays the shipped level.
    std::string level;
    // For Usage: what was wrong with the arguments.
    std::string problem;
};

// Reads the arguments after the program name. Never fails: arguments it cannot
// make sense of give Action::Usage with the reason.
CommandLine parseCommandLine(int argc, const char* const* argv);

// The text printed by --help (and after a usage error), several lines; with
// `keys` (the default keys, one action a line), a "Keys" part lists them.
std::string usageText(const std::string& keys = {});

// The line printed by --version: "kelvaro19 " and the version.
std::string versionText();

// Why a level file cannot be opened (no such file, a folder, a pipe or
// another special file that would block or fail on reading), or nothing for
// a regular file. The text names the file, in the loader's words.
std::optional<std::string> levelPathProblem(const std::string& path);
