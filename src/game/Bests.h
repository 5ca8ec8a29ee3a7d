#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

// The best flight of one level: the shortest time and the most points (they
// may come from different flights), and the level file's name for people
// reading the file.
struct Best {
    double seconds = 0.0;
    int32_t points = 0;
    std::string file;
};

// Bests keyed by the content hash of the level file (16 hex digits).
using BestTable = std::map<std::string, Best>;

// The bests file's text: comment lines ("#") and blank lines, then one line
// per level: "<hash> <seconds> <points> <file name>", e.g.
// "9f86d081884c7d65 38.420 1041 sub2demo_debug.dae". The first bad line
// makes the file damaged: `problem` says which line and why.
struct BestsText {
    BestTable bests;
    std::string problem;
};
BestsText parseBests(std::string_view text);
std::string formatBests(const BestTable& bests);

// Whether a finished flight beat the best so far.
struct BestNews {
    bool time = false;
    bool points = false;
    bool any() const { return time || points; }
};
// Folds a finished flight into `bests`.
BestNews foldFlight(BestTable& bests, const std::string& hash, const std::string& file,
                    double seconds, int32_t points);

// The bests file of the player, read once and written after each new best.
// Never loses or corrupts it: a new file is written beside it and renamed
// over it; the file on disk is read again and merged just before, so two
// games running at once keep each other's bests (the last writer wins a
// tie). A damaged file is named in one ERROR line and moved aside as
// "<name>.bad", and the game goes on without bests. A folder that cannot be
// written is named once; the bests of the session are still kept in memory.
class BestsStore {
public:
    explicit BestsStore(std::filesystem::path file);

    const Best* find(const std::string& hash) const;
    // Records a finished flight of the level with this content hash and file
    // name; writes the file when it is a new best.
    BestNews record(const std::string& hash, const std::string& file, double seconds,
                    int32_t points);
    const std::filesystem::path& path() const { return file_; }

private:
    // The table in the file, or nothing (after an ERROR line and moving a
    // damaged file aside) when there is none to use.
    BestTable readFile();
    void write();

    std::filesystem::path file_;
    BestTable bests_;
    bool writeFailed_ = false;
};

// The name of the bests file inside the player's data folder.
inline constexpr const char* BESTS_FILE_NAME = "bests.txt";
inline constexpr std::size_t MAX_BESTS_BYTES = 1024 * 1024;
