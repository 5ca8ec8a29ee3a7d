#include "game/Bests.h"

#include "core/Log.h"
#include "core/RegularFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

constexpr const char* HEADER = "# Kelvaro19 bests: level content hash, best time in seconds, "
                               "best points, level file\n";
// Longer than any flight anyone will fly; a larger number is not a time.
constexpr double MAX_SECONDS = 1.0e7;

std::string quoted(std::string_view text) {
    std::string out(1, '"');
    out.append(text.substr(0, 40));
    out.append(text.size() > 40 ? "...\"" : "\"");
    return out;
}

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

std::string readLine(std::string_view line, BestTable& bests) {
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
    if (end != secondsText.c_str() + secondsText.size() || !std::isfinite(time) || time <= 0.0 ||
        time > MAX_SECONDS) {
        return "the time " + quoted(seconds) + " is not a number of seconds";
    }
    if (points.empty() || points.size() > 10 ||
        points.find_first_not_of("0123456789") != std::string_view::npos ||
        std::strtoll(std::string(points).c_str(), nullptr, 10) > INT32_MAX) {
        return "the points " + quoted(points) + " are not a whole number from 0 to 2147483647";
    }
    if (!bests
             .try_emplace(std::string(hash),
                          Best{time, int32_t(std::stoll(std::string(points))), std::string(file)})
             .second) {
        return "the level " + std::string(hash) + " is listed twice";
    }
    return {};
}

} // namespace

BestsText parseBests(std::string_view text) {
    BestsText result;
    std::size_t number = 0;
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
        if (std::string problem = readLine(line, result.bests); !problem.empty()) {
            result.bests.clear();
            result.problem = "line " + std::to_string(number) + ": " + problem;
            return result;
        }
    }
    return result;
}

std::string formatBests(const BestTable& bests) {
    std::string text = HEADER;
    for (const auto& [hash, best] : bests) {
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, " %.3f %d ", best.seconds, best.points);
        // A file name cannot break the line it is on.
        std::string file = best.file;
        for (char& c : file) {
            if (c == '\n' || c == '\r') {
                c = '?';
            }
        }
        text += hash + numbers + file + "\n";
    }
    return text;
}

BestNews foldFlight(BestTable& bests, const std::string& hash, const std::string& file,
                    double seconds, int32_t points) {
    BestNews news;
    if (!(seconds > 0.0) || !std::isfinite(seconds)) {
        return news;
    }
    auto [it, fresh] = bests.try_emplace(hash, Best{seconds, points, file});
    if (fresh) {
        return {true, true};
    }
    Best& best = it->second;
    // A thousandth is what the file keeps.
    if (seconds < best.seconds - 0.0005) {
        best.seconds = seconds;
        news.time = true;
    }
    if (points > best.points) {
        best.points = points;
        news.points = true;
    }
    best.file = file;
    return news;
}

BestsStore::BestsStore(std::filesystem::path file) : file_(std::move(file)) {
    bests_ = readFile();
}

const Best* BestsStore::find(const std::string& hash) const {
    auto it = bests_.find(hash);
    return it == bests_.end() ? nullptr : &it->second;
}

BestTable BestsStore::readFile() {
    const std::string path = file_.string();
    std::string problem = nonRegularFileProblem(path);
    std::error_code error;
    if (problem.empty() && !std::filesystem::exists(file_, error)) {
        return {};
    }
    std::string text;
    if (problem.empty()) {
        std::ifstream in(file_, std::ios::binary);
        if (!in) {
            problem = "it cannot be read";
        } else {
            text.resize(MAX_BESTS_BYTES + 1);
            in.read(text.data(), std::streamsize(text.size()));
            text.resize(std::size_t(in.gcount()));
            if (text.size() > MAX_BESTS_BYTES) {
                problem = "it is larger than 1 MiB";
            }
        }
    }
    if (problem.empty()) {
        BestsText parsed = parseBests(text);
        if (parsed.problem.empty()) {
            return std::move(parsed.bests);
        }
        problem = "it is damaged (" + parsed.problem + ")";
    }
    const std::filesystem::path aside = file_.string() + ".bad";
    std::filesystem::rename(file_, aside, error);
    logMessage(LogLevel::ERROR,
               "Bests file " + path + ": " + problem +
                   (error ? "; it could not be moved aside (" + error.message() + ")"
                          : "; it was moved aside to " + aside.string()) +
                   ", and the game goes on without bests.");
    return {};
}

BestNews BestsStore::record(const std::string& hash, const std::string& file, double seconds,
                            int32_t points) {
    BestNews news = foldFlight(bests_, hash, file, seconds, points);
    if (news.any()) {
        write();
    }
    return news;
}

void BestsStore::write() {
    // Another game may have written since this one read: its bests count.
    for (const auto& [hash, best] : readFile()) {
        foldFlight(bests_, hash, best.file, best.seconds, best.points);
    }
    const std::filesystem::path temporary =
        file_.string() + ".new." + std::to_string(long(getpid()));
    std::error_code error;
    std::filesystem::create_directories(file_.parent_path(), error);
    std::string problem;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        const std::string text = formatBests(bests_);
        if (!out || !out.write(text.data(), std::streamsize(text.size())) || !out.flush()) {
            problem = "cannot be written in " + file_.parent_path().string();
        }
    }
    if (problem.empty()) {
        std::filesystem::rename(temporary, file_, error);
        if (error) {
            problem = "cannot be replaced (" + error.message() + ")";
        }
    }
    if (!problem.empty()) {
        std::filesystem::remove(temporary, error);
        if (!writeFailed_) {
            logMessage(LogLevel::ERROR, "Bests file " + file_.string() + " " + problem +
                                            "; bests are kept until the game ends.");
        }
        writeFailed_ = true;
    }
}
