#pragma once

#include "tracks/TrackList.h"
#include "world/World.h"
#include "world/WorldStart.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// Content hashes of files, each hashed once and again only after the file
// changed (its size or its time of change moved): a list of many tracks is
// drawn every frame without reading them.
class FileHashes {
public:
    const std::string& of(const std::string& path);

private:
    struct Seen {
        bool known = false;
        bool there = false;
        uintmax_t size = 0;
        int64_t changed = 0;
        std::string hash;
    };
    std::unordered_map<std::string, Seen> seen_;
};

// The tracks a player can choose, each built once on first choice and kept:
// switching back to a track, or flying it again, reads nothing from disk.
// Only the chosen track's bodies take part in the physics; the others are
// taken out of it (the mesh and shape stores keep everything ever loaded
// until exit, so memory grows with each new track, never with a switch).
class TrackShelf {
public:
    struct Track {
        TrackEntry entry;
        // The level file as opened.
        std::string path;
        // Set once a load failed (or the file cannot be opened): greyed out,
        // with the loader's words on why.
        bool broken = false;
        std::string problem;
        std::optional<World> world;
        std::unique_ptr<WorldStart> start;
        // The content hash of the level file ("" until loaded, or unreadable).
        std::string hash;
    };

    // The tracks of the list at `levelFolder` + TRACK_LIST_FILE, with
    // `commandLineLevel`, when given, as its own entry at the top. A track
    // whose file cannot be opened is named in one ERROR line and greyed.
    // A level given on the command line is flown without the game's data:
    // the list is then read only when the player first asks for another
    // track (addListedTracks).
    TrackShelf(const std::string& levelFolder, const std::string& commandLineLevel);
    // Reads the list file once, if not yet read.
    void addListedTracks();

    std::size_t size() const { return tracks_.size(); }
    const Track& at(std::size_t index) const { return tracks_.at(index); }

    // The world of track `index`, built on first use, with its bodies in the
    // physics world and every other track's out; null for a track that
    // cannot be loaded (its loader lines logged, the track greyed).
    World* activate(std::size_t index);
    // The track whose bodies are in the physics world, if any.
    std::optional<std::size_t> active() const { return active_; }
    const WorldStart& startOf(std::size_t index) const { return *tracks_.at(index).start; }
    // The content hash of track `index`'s file as it is now ("" when it
    // cannot be read), for a track not loaded yet.
    const std::string& fileHash(std::size_t index) const {
        return hashes_.of(tracks_.at(index).path);
    }

private:
    bool load(Track& track);
    std::string levelFolder_;
    bool listRead_ = false;
    // A deque: adding the listed tracks later keeps every built world, which
    // the current run refers to, in its place.
    std::deque<Track> tracks_;
    std::optional<std::size_t> active_;
    mutable FileHashes hashes_;
};

// FNV-1a (64 bits) of a file's bytes as 16 hex digits, or "" when it cannot
// be read or is larger than any level the game reads. Names a level by its
// content: an edited level is another level.
std::string fileContentHash(const std::string& path);
