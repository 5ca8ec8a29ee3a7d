#include "game/Bests.h"

#include "core/Log.h"
#include "core/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr const char* HEADER = "# Kelvaro19 bests: level content hash, best time in seconds, "
                               "best points, level file\n";
// Longer than any flight anyone will fly; a larger number is not a time.
constexpr double MAX_SECONDS = 1.0e7;
// Bad lines named one by one in the console line; the rest are counted.
constexpr std::size_t NAMED_PROBLEMS = 3;
// Set-aside copies of one kind, "<name>.bad" to "<name>.bad.999".
constexpr int MAX_COPIES = 999;

// Holds an exclusive lock on "<file>.lock" while it lives. The lock file
// stays: removing it would let a game lock a file another has just removed.
// Without a folder to put it in there is nothing to guard.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& file)
        : fd_(open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        while (fd_ >= 0 && flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FileLock() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_;
};

bool isHash(std::string_view word) {
    if (word.size() != 16) {
        return false;
    }
    for (char c : word) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

// The next space-separated word of `line`, taken off its front.
std::string_view nextWord(std::string_view& line) {
    const auto start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        line = {};
        return {};
    }
    line.remove_prefix(start);
    const auto end = line.find(' ');
    std::string_view word = line.substr(0, end);
    line.remove_prefix(end == std::string_view::npos ? line.size() : end);
    return word;
}

// A level's best beside another of the same level: the shorter time, the
// more points, the later bettering.
void merge(Best& into, const Best& other) {
    if (clockSteps(other.seconds) < clockSteps(into.seconds)) {
        into.seconds = other.seconds;
    }
    into.points = std::max(into.points, other.points);
    into.bettered = std::max(into.bettered, other.bettered);
}

std::string readLine(std::string_view line, uint64_t number, BestTable& bests) {
    const std::string_view hash = nextWord(line);
    const std::string_view seconds = nextWord(line);
    const std::string_view points = nextWord(line);
    const auto nameStart = line.find_first_not_of(' ');
    const std::string_view file =
        nameStart == std::string_view::npos ? std::string_view{} : line.substr(nameStart);
    if (file.empty()) {
        return "expected \"<hash> <seconds> <points> <level file>\", found fewer parts";
    }
    if (!isHash(hash)) {
        return "the level hash " + quoted(hash) + " is not 16 hex digits";
    }
    const std::string secondsText(seconds);
    char* end = nullptr;
    const double time = std::strtod(secondsText.c_str(), &end);
    if (end != secondsText.c_str() + secondsText.size() || !std::isfinite(time) ||
        clockSteps(time) < 1 || time > MAX_SECONDS) {
        return "the time " + quoted(seconds) + " is not a number of seconds";
    }
    if (points.empty() || points.size() > 10 ||
        points.find_first_not_of("0123456789") != std::string_view::npos ||
        std::strtoll(std::string(points).c_str(), nullptr, 10) > INT32_MAX) {
        return "the points " + quoted(points) + " are not a whole number from 0 to 2147483647";
    }
    const Best best{time, int32_t(std::stoll(std::string(points))), std::string(file), number};
    // A level listed twice (by hand) keeps the better of both.
    if (auto [it, fresh] = bests.try_emplace(std::string(hash), best); !fresh) {
        merge(it->second, best);
    }
    return {};
}

// A file name as the one last part of a line.
std::string lineName(std::string name) {
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = '?';
        }
    }
    if (name.size() > MAX_BEST_NAME_BYTES) {
        // Not inside a character of several bytes.
        std::size_t cut = MAX_BEST_NAME_BYTES;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        name.resize(cut);
    }
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "?";
    }
    return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

std::string bestLine(const std::string& hash, const Best& best) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " %.3f %d ", best.seconds, best.points);
    return hash + numbers + lineName(best.file) + "\n";
}

// "<file>.<kind>", then "<file>.<kind>.2" and on. Appended piece by piece:
// g++ 12 warns falsely about a literal joined to a temporary.
std::string copyName(const std::filesystem::path& file, const char* kind, int n) {
    std::string name = file.string();
    name.append(".").append(kind);
    if (n > 1) {
        name.append(".").append(std::to_string(n));
    }
    return name;
}

} // namespace

int64_t clockSteps(double seconds) {
    if (!(seconds > 0.0)) {
        return 0;
    }
    return std::llround(std::min(seconds, 1.0e12) * CLOCK_STEPS_PER_SECOND);
}

BestsText parseBests(std::string_view text) {
    BestsText result;
    uint64_t number = 0;
    while (!text.empty()) {
        ++number;
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (std::string problem = readLine(line, number, result.bests); !problem.empty()) {
            result.problems.push_back("line " + std::to_string(number) + ": " + problem);
        }
    }
    return result;
}

BestsFileText formatBests(const BestTable& bests, std::size_t maxBytes) {
    std::vector<BestTable::const_iterator> order;
    order.reserve(bests.size());
    for (auto it = bests.begin(); it != bests.end(); ++it) {
        order.push_back(it);
    }
    // The latest first, so that they are the ones that fit.
    std::stable_sort(order.begin(), order.end(),
                     [](auto a, auto b) { return a->second.bettered > b->second.bettered; });
    std::vector<std::string> lines;
    std::size_t size = std::strlen(HEADER);
    BestsFileText out;
    for (auto it : order) {
        std::string line = bestLine(it->first, it->second);
        if (out.left.empty() && size + line.size() <= maxBytes) {
            size += line.size();
            lines.push_back(std::move(line));
        } else {
            out.left.push_back(it->first);
            out.leftText.insert(0, line);
        }
    }
    if (!out.leftText.empty()) {
        out.leftText.insert(0, HEADER);
    }
    out.text.reserve(size);
    out.text = HEADER;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        out.text += *line;
    }
    return out;
}

BestNews foldFlight(BestTable& bests, const std::string& hash, const std::string& file,
                    double seconds, int32_t points) {
    BestNews news;
    if (!std::isfinite(seconds) || clockSteps(seconds) < 1 || seconds > MAX_SECONDS) {
        return news;
    }
    points = std::max(points, 0);
    uint64_t latest = 0;
    for (const auto& entry : bests) {
        latest = std::max(latest, entry.second.bettered);
    }
    auto [it, fresh] = bests.try_emplace(hash, Best{seconds, points, file, latest + 1});
    if (fresh) {
        return {true, true};
    }
    Best& best = it->second;
    if (clockSteps(seconds) < clockSteps(best.seconds)) {
        best.seconds = seconds;
        news.time = true;
    }
    if (points > best.points) {
        best.points = points;
        news.points = true;
    }
    best.file = file;
    if (news.any()) {
        best.bettered = latest + 1;
    }
    return news;
}

BestsStore::BestsStore(std::filesystem::path file) : file_(std::move(file)) {
    FileLock lock(file_);
    bests_ = readFile();
    if (rewrite_) {
        // Without the lines that were skipped, kept in their copy.
        writeLocked();
    }
}

const Best* BestsStore::find(const std::string& hash) const {
    auto it = bests_.find(hash);
    return it == bests_.end() ? nullptr : &it->second;
}

std::string BestsStore::keepCopy(std::string_view text, const char* kind) {
    for (int n = 1; n <= MAX_COPIES; ++n) {
        const std::string name = copyName(file_, kind, n);
        const WholeWrite written = writeFileWhole(name, text, false);
        if (written.problem.empty()) {
            return name;
        }
        if (!written.exists) {
            return {};
        }
    }
    return {};
}

std::string BestsStore::moveAside() {
    const std::string path = file_.string();
    for (int n = 1; n <= MAX_COPIES; ++n) {
        const std::string name = copyName(file_, "bad", n);
        // Never over an earlier copy.
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) {
            syncFolder(file_.parent_path().string());
            return name;
        }
        if (errno != EEXIST) {
            return {};
        }
    }
    return {};
}

BestTable BestsStore::readFile() {
    const std::string path = file_.string();
    BoundedRead file = readBoundedFile(path, MAX_BESTS_BYTES);
    if (file.missing) {
        return {};
    }
    if (!file.problem.empty()) {
        const std::string aside = moveAside();
        damagedCopy_ = aside.empty() ? path : aside;
        logMessage(LogLevel::ERROR,
                   "Bests file " + path + ": " + file.problem +
                       (aside.empty() ? "; it could not be moved aside, and the game goes on "
                                        "without its bests"
                                      : "; it was moved aside to " + aside +
                                            ", and the game goes on without its bests") +
                       ".");
        return {};
    }
    BestsText parsed = parseBests(file.text);
    if (parsed.problems.empty()) {
        return std::move(parsed.bests);
    }
    std::string line = "Bests file " + path + ": ";
    for (std::size_t i = 0; i < parsed.problems.size() && i < NAMED_PROBLEMS; ++i) {
        line += (i > 0 ? "; " : "") + parsed.problems[i];
    }
    if (parsed.problems.size() > NAMED_PROBLEMS) {
        line += "; and " + std::to_string(parsed.problems.size() - NAMED_PROBLEMS) + " more";
    }
    const std::size_t bad = parsed.problems.size();
    line += bad == 1 ? "; that line is skipped"
                     : "; those " + std::to_string(bad) + " lines are skipped";
    const std::string copy = keepCopy(file.text, "bad");
    if (copy.empty()) {
        // Writing the file again would drop the lines nobody has a copy of.
        holdFile_ = true;
        damagedCopy_ = path;
        line += ", the file is left as it is, and new bests are kept until the game ends.";
    } else {
        damagedCopy_ = copy;
        rewrite_ = true;
        line += ", the file as it was is kept as " + copy + ", and the other bests count.";
    }
    logMessage(LogLevel::ERROR, line);
    return std::move(parsed.bests);
}

BestNews BestsStore::record(const std::string& hash, const std::string& file, double seconds,
                            int32_t points) {
    BestNews news = foldFlight(bests_, hash, file, seconds, points);
    if (news.any()) {
        write();
    }
    return news;
}

std::string BestsStore::noticeAt(double now) {
    if (damagedCopy_.empty()) {
        return {};
    }
    if (noticeShown_ != damagedCopy_) {
        noticeShown_ = damagedCopy_;
        noticeSince_ = now;
    }
    if (now - noticeSince_ > BESTS_NOTICE_SECONDS) {
        return {};
    }
    return "Some best times could not be read: see " + damagedCopy_;
}

void BestsStore::write() {
    if (holdFile_) {
        return; // said when the file was read
    }
    std::error_code error;
    std::filesystem::create_directories(file_.parent_path(), error);
    FileLock lock(file_);
    // Another game may have written since this one read: its bests count.
    for (const auto& [hash, best] : readFile()) {
        if (auto [it, fresh] = bests_.try_emplace(hash, best); !fresh) {
            merge(it->second, best);
        }
    }
    writeLocked();
}

void BestsStore::writeLocked() {
    rewrite_ = false;
    std::string problem;
    BestsFileText out = formatBests(bests_, MAX_BESTS_BYTES);
    if (!out.left.empty()) {
        const std::string copy = keepCopy(out.leftText, "full");
        if (copy.empty()) {
            problem = "is full, and the bests that no longer fit cannot be kept beside it";
        } else {
            logMessage(LogLevel::INFO, "Bests file " + file_.string() + " is full: the bests of " +
                                           std::to_string(out.left.size()) +
                                           " levels bettered longest ago are moved to " + copy +
                                           ".");
            for (const std::string& hash : out.left) {
                bests_.erase(hash);
            }
        }
    }
    if (problem.empty()) {
        problem = writeFileWhole(file_.string(), out.text).problem;
    }
    if (!problem.empty()) {
        if (!writeFailed_) {
            logMessage(LogLevel::ERROR, "Bests file " + file_.string() + " " + problem +
                                            "; bests are kept until the game ends.");
        }
        writeFailed_ = true;
    }
}
