#include "app/Application.h"
#include "core/CommandLine.h"
#include "core/DataFolder.h"
#include "core/Log.h"
#include "game/KeyBindings.h"
#include "game/TrackListing.h"
#include "levelcheck/LevelCheck.h"

#include <iostream>

int main(int argc, char** argv) {
    const CommandLine line = parseCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::Help:
        std::cout << usageText(defaultKeysText());
        return 0;
    case CommandLine::Action::Version:
        std::cout << versionText();
        return 0;
    case CommandLine::Action::Usage:
        logMessage(LogLevel::ERROR, "kelvaro19: " + line.problem);
        std::cout << usageText();
        return 2;
    case CommandLine::Action::Check:
        // The checker's output is its findings alone: the data folder is
        // only named when there is none.
        if (!announceDataFolder(true)) {
            return 1;
        }
        return checkLevel(line.level, std::cout);
    case CommandLine::Action::Tracks:
        if (!announceDataFolder(true)) {
            return 1;
        }
        printTrackList(std::cout);
        return 0;
    case CommandLine::Action::Play:
        break;
    }
    if (!announceDataFolder(false)) {
        return 1;
    }
    return runApplication(line.level);
}
