#include "game/TrackListing.h"

#include "core/UserFolders.h"
#include "game/Bests.h"
#include "game/TrackShelf.h"
#include "world/WorldLoader.h"

#include <cstdio>
#include <memory>
#include <ostream>

void printTrackList(std::ostream& out) {
    TrackShelf shelf(WorldLoader().baseDirectory(), "");
    std::unique_ptr<BestsStore> bests;
    if (userDataDir().is_absolute()) {
        bests = std::make_unique<BestsStore>(userDataDir() / BESTS_FILE_NAME);
    }
    for (std::size_t i = 0; i < shelf.size(); ++i) {
        const TrackShelf::Track& track = shelf.at(i);
        const std::string hash = track.broken ? std::string() : fileContentHash(track.path);
        const Best* best = bests && !hash.empty() ? bests->find(hash) : nullptr;
        out << track.entry.name << '\t'
            << (track.entry.difficulty > 0 ? std::to_string(track.entry.difficulty) : "-") << '\t'
            << track.path << '\t';
        if (best) {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%.2f", best->seconds);
            out << seconds << '\t' << best->points << '\n';
        } else {
            out << "-\t-\n";
        }
    }
}
