#include "game/TrackShelf.h"

#include "core/Log.h"
#include "core/RegularFile.h"
#include "core/UserFolders.h"
#include "physics/PhysicsContext.h"
#include "world/LevelFile.h"
#include "world/LevelFinding.h"
#include "world/WorldLoader.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

void setInPhysics(World& world, bool in) {
    PhysicsContext& physics = PhysicsContext::instance();
    physics.beginBatch();
    for (GameObject& object : world.objects) {
        if (!object.actor) {
            continue;
        }
        if (in) {
            physics.addBody(*object.actor);
        } else {
            physics.removeBody(*object.actor);
        }
    }
    physics.endBatch();
}

} // namespace

TrackShelf::TrackShelf(const std::string& levelFolder, const std::string& commandLineLevel)
    : levelFolder_(levelFolder) {
    if (commandLineLevel.empty()) {
        addListedTracks();
        return;
    }
    Track own;
    own.entry = {commandLineLevel, 0, std::filesystem::path(commandLineLevel).filename().string()};
    own.path = commandLineLevel;
    tracks_.push_back(std::move(own));
}

void TrackShelf::addListedTracks() {
    if (listRead_) {
        return;
    }
    listRead_ = true;
    std::vector<UserTrack> all;
    for (TrackEntry& entry : readTrackList(levelFolder_ + TRACK_LIST_FILE)) {
        std::string path = levelFolder_ + entry.file;
        all.push_back({std::move(entry), std::move(path)});
    }
    // The player's own levels join after the shipped ones.
    if (userDataDir().is_absolute()) {
        for (UserTrack& own : readUserTracks((userDataDir() / USER_TRACKS_FOLDER).string())) {
            all.push_back(std::move(own));
        }
    }
    for (UserTrack& listed : all) {
        Track track;
        track.path = std::move(listed.path);
        track.entry = std::move(listed.entry);
        if (std::string problem = regularFileProblem(track.path); !problem.empty()) {
            logMessage(LogLevel::ERROR, "Track " + track.entry.name + ": level " + track.path +
                                            ": " + problem + "; it cannot be flown.");
            track.broken = true;
            track.problem = problem;
        }
        tracks_.push_back(std::move(track));
    }
}

bool TrackShelf::load(Track& track) {
    LevelResult level = WorldLoader().readFile(track.path);
    for (const LevelFinding& finding : level.findings) {
        if (!level.world && &finding == &level.findings.back()) {
            break; // the error line says it
        }
        logMessage(finding.severity == LevelFinding::Severity::Error ? LogLevel::ERROR
                                                                     : LogLevel::INFO,
                   consoleText(track.path, finding));
    }
    if (!level.world) {
        logMessage(LogLevel::ERROR, level.error);
        track.broken = true;
        track.problem = level.error;
        return false;
    }
    track.world = std::move(level.world);
    track.start = std::make_unique<WorldStart>(*track.world);
    track.hash = hashes_.of(track.path);
    return true;
}

World* TrackShelf::activate(std::size_t index) {
    Track& track = tracks_.at(index);
    if (track.broken) {
        return nullptr;
    }
    if (active_ && *active_ != index) {
        setInPhysics(*tracks_[*active_].world, false);
        active_.reset();
    }
    if (!track.world) {
        if (!load(track)) {
            return nullptr;
        }
    } else if (!active_) {
        setInPhysics(*track.world, true);
    }
    active_ = index;
    return &*track.world;
}

std::string fileContentHash(const std::string& path) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (!regularFileProblem(path).empty() || error || size > MAX_LEVEL_FILE_BYTES) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    uint64_t hash = 0xcbf29ce484222325ull;
    char buffer[1 << 16];
    uintmax_t total = 0;
    while (in && total <= size) {
        in.read(buffer, sizeof buffer);
        total += uintmax_t(in.gcount());
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            hash = (hash ^ uint8_t(buffer[i])) * 0x100000001b3ull;
        }
    }
    // A file of the system that yields more than it says is no level.
    if (total > size) {
        return {};
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

const std::string& FileHashes::of(const std::string& path) {
    struct stat status {};
    const bool there = stat(path.c_str(), &status) == 0;
    const int64_t changed = int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    Seen& seen = seen_[path];
    if (!seen.known || seen.there != there || seen.size != uintmax_t(status.st_size) ||
        seen.changed != changed) {
        seen = {true, there, uintmax_t(status.st_size), changed,
                there ? fileContentHash(path) : ""};
    }
    return seen.hash;
}
