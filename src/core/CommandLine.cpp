#include "core/CommandLine.h"

#include <filesystem>
#include <string_view>

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i] ? argv[i] : "";
        if (argument == "--help" || argument == "-h") {
            return {CommandLine::Action::Help, {}, {}};
        }
        if (argument == "--check") {
            check = true;
        } else if (argument.size() > 1 && argument.front() == '-') {
            return {
                CommandLine::Action::Usage, {}, "unknown option " + std::string(argument) + "."};
        } else if (!line.level.empty()) {
            return {CommandLine::Action::Usage,
                    {},
                    "one level at a time, but both " + line.level + " and " +
                        std::string(argument) + " were given."};
        } else if (argument.empty()) {
            return {CommandLine::Action::Usage, {}, "the level file name is empty."};
        } else {
            line.level = std::string(argument);
        }
    }
    if (check) {
        if (line.level.empty()) {
            return {CommandLine::Action::Usage, {}, "--check needs the level file to check."};
        }
        line.action = CommandLine::Action::Check;
    }
    return line;
}

std::string usageText() {
    return "Usage: kelvaro19 [LEVEL]\n"
           "       kelvaro19 --check LEVEL\n"
           "       kelvaro19 --help\n"
           "\n"
           "  (no argument)   play the shipped level\n"
           "  LEVEL           play a COLLADA level file (.dae); everything else is read from\n"
           "                  res/ in the working folder\n"
           "  --check LEVEL   check a level without a window: one line per finding\n"
           "                  (ERROR/WARNING), the test pilot's flight, a verdict;\n"
           "                  exit code 0 playable and finished, 1 refused or not\n"
           "                  finished, 2 usage or unreadable file\n"
           "  --help          this text\n";
}

std::optional<std::string> levelPathProblem(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        return "Level " + path + " cannot be read: there is no such file.";
    }
    if (error) {
        return "Level " + path + " cannot be read: " + error.message() + ".";
    }
    if (status.type() == fs::file_type::directory) {
        return "Level " + path + " cannot be read: it is a folder, not a level file.";
    }
    if (status.type() != fs::file_type::regular) {
        return "Level " + path + " cannot be read: it is not a regular file (a pipe or a device).";
    }
    return std::nullopt;
}
