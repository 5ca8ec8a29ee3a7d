#include "core/CommandLine.h"

#include "core/RegularFile.h"

#include <string_view>

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i] ? argv[i] : "";
        if (argument == "--help" || argument == "-h") {
            return {CommandLine::Action::Help, {}, {}};
        }
        if (argument == "--version") {
            return {CommandLine::Action::Version, {}, {}};
        }
        if (argument == "--tracks") {
            if (argc != 2) {
                return {CommandLine::Action::Usage, {}, "--tracks takes no other argument."};
            }
            return {CommandLine::Action::Tracks, {}, {}};
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

std::string usageText(const std::string& keys) {
    std::string text =
        "Usage: kelvaro19 [LEVEL]\n"
        "       kelvaro19 --check LEVEL\n"
        "       kelvaro19 --tracks\n"
        "       kelvaro19 --help | --version\n"
        "\n"
        "  (no argument)   play the shipped level\n"
        "  LEVEL           play a level file, COLLADA (.dae) or glTF 2.0 (.glb,\n"
        "                  .gltf) as its content says, a path relative to the\n"
        "                  working folder; everything else is read from the game's\n"
        "                  data: $KELVARO19_DATA, else res/ in the working folder,\n"
        "                  else the installed data (share/kelvaro19)\n"
        "  --check LEVEL   check a level without a window: one line per finding\n"
        "                  (ERROR/WARNING), eight player-like flights, the loops\n"
        "                  they flew, the grade, a verdict; exit code 0 OK, 1 NOT\n"
        "                  OK, TOO HARD, NOT FINISHABLE or REFUSED, 2 usage or\n"
        "                  unreadable file, 3 UNDECIDED\n"
        "  --tracks        print the track list, one track a line: name, difficulty\n"
        "                  (- for your own), file, best time and points (- for\n"
        "                  none), separated by tabs\n"
        "  --help          this text\n"
        "  --version       the version\n"
        "\n"
        "Settings: your own Kelvaro.ini in $XDG_CONFIG_HOME/kelvaro19/ (else\n"
        "~/.config/kelvaro19/), read over the shipped one key by key; the settings\n"
        "menu writes what you change there, keeping your comments. Bests:\n"
        "$XDG_DATA_HOME/kelvaro19/bests.txt (else ~/.local/share/kelvaro19/). Your\n"
        "own levels: put them in $XDG_DATA_HOME/kelvaro19/tracks/.\n";
    if (!keys.empty()) {
        text += "\nKeys (the defaults, by their place on a US keyboard; the controls\n"
                "screen, F1, shows your own as your keyboard labels them):\n" +
                keys;
    }
    return text;
}

std::string versionText() {
    return std::string("kelvaro19 ") + KELVARO_VERSION + "\n";
}

std::optional<std::string> levelPathProblem(const std::string& path) {
    if (const std::string problem = regularFileProblem(path); !problem.empty()) {
        return "Level " + path + " cannot be read: " + problem + ".";
    }
    return std::nullopt;
}
