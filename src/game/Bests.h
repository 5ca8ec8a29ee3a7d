#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The best flight of one level: the shortest time and the most points (they
// may come from different flights), and the level file's name for people
// reading the file.
struct Best {
    double seconds = 0.0;
    int32_t points = 0;
    std::string file;
    // When it was last bettered, counting up: the file lists bests in this
    // order, the latest last, and a full file sets the earliest aside.
    uint64_t bettered = 0;
};

// Bests keyed by the content hash of the level file (16 hex digits).
using BestTable = std::map<std::string, Best>;

// The flying clock counts whole steps of 1/144 s; times are compared in
// them, so a time read back from the file (kept to a thousandth) is the
// same time.
inline constexpr double CLOCK_STEPS_PER_SECOND = 144.0;
int64_t clockSteps(double seconds);

// The bests file's text: comment lines ("#") and blank lines, then one line
// per level: "<hash> <seconds> <points> <file name>", e.g.
// "9f86d081884c7d65 38.420 1041 sub2demo_debug.dae". A bad line is skipped
// and named in `problems` ("line 3: why"); the other lines count.
struct BestsText {
    BestTable bests;
    std::vector<std::string> problems;
};
BestsText parseBests(std::string_view text);

// The file's text for `bests`, never longer than `maxBytes`: when they do
// not all fit, the bests bettered earliest are left out and listed in
// `left` (their lines in `leftText`, a file of their own). Every line is one
// parseBests reads back: a file name is put on one line, without spaces at
// its ends, and cut to MAX_BEST_NAME_BYTES.
struct BestsFileText {
    std::string text;
    std::vector<std::string> left;
    std::string leftText;
};
BestsFileText formatBests(const BestTable& bests, std::size_t maxBytes);

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
// Never loses or corrupts a best:
// - a new file is written beside it, flushed to the disk and renamed over it;
// - the file on disk is read again and merged just before, under an
//   exclusive lock on "<name>.lock" held until the rename, so two games
//   running at once keep each other's bests;
// - a line that cannot be read is skipped and named in one ERROR line, the
//   file as it was is kept as "<name>.bad" (".bad.2", ".bad.3", ... when
//   that is taken: an earlier copy is never replaced) and the player is told
//   on screen (noticeAt);
// - a file that cannot be read at all (too large, not a file) is moved
//   aside under such a name;
// - bests that no longer fit the file are moved into a file of their own,
//   "<name>.full" (".full.2", ...).
// A folder that cannot be written is named once; the bests of the session
// are still kept in memory.
class BestsStore {
public:
    explicit BestsStore(std::filesystem::path file);

    const Best* find(const std::string& hash) const;
    // Records a finished flight of the level with this content hash and file
    // name; writes the file when it is a new best.
    BestNews record(const std::string& hash, const std::string& file, double seconds,
                    int32_t points);
    const std::filesystem::path& path() const { return file_; }

    // "Some best times could not be read: see <copy>" for BESTS_NOTICE_SECONDS
    // from the first call at `now` after bests were found damaged; "" before
    // and after.
    std::string noticeAt(double now);
    // The copy the latest damaged file was kept as ("" when none was).
    const std::string& damagedCopy() const { return damagedCopy_; }

private:
    // The table in the file; a damaged file is dealt with as described above.
    BestTable readFile();
    // Keeps `text` under a new name "<name>.<kind>[.N]"; returns it, or "".
    std::string keepCopy(std::string_view text, const char* kind);
    std::string moveAside();
    // Re-reads the file and merges it, then writes (writeLocked).
    void write();
    // Writes the table while the lock is held.
    void writeLocked();

    std::filesystem::path file_;
    BestTable bests_;
    bool writeFailed_ = false;
    // Lines were skipped and no copy of them could be kept: never written.
    bool holdFile_ = false;
    // Lines were skipped and kept in a copy: the file is written without them.
    bool rewrite_ = false;
    std::string damagedCopy_;
    std::string noticeShown_;
    double noticeSince_ = 0.0;
};

// The name of the bests file inside the player's data folder.
inline constexpr const char* BESTS_FILE_NAME = "bests.txt";
inline constexpr std::size_t MAX_BESTS_BYTES = 1024 * 1024;
inline constexpr std::size_t MAX_BEST_NAME_BYTES = 255;
inline constexpr double BESTS_NOTICE_SECONDS = 12.0;
