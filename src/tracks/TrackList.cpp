#include "tracks/TrackList.h"

#include "core/Log.h"
#include "core/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <set>

namespace {

constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Why `file` cannot name a level below the level folder, or "".
std::string fileProblem(std::string_view file) {
    if (file.empty()) {
        return "the level file is missing";
    }
    if (file.front() == '/' || file.front() == '\\') {
        return "the level file " + quoted(file) +
               " must lie in the level folder, not at an "
               "absolute path";
    }
    std::size_t start = 0;
    while (start <= file.size()) {
        std::size_t end = file.find_first_of("/\\", start);
        if (end == std::string_view::npos) {
            end = file.size();
        }
        if (file.substr(start, end - start) == "..") {
            return "the level file " + quoted(file) +
                   " must lie in the level folder, not above "
                   "it";
        }
        start = end + 1;
    }
    return {};
}

// The entry of one track line, or a problem.
std::string readEntry(std::string_view line, TrackEntry& entry) {
    const auto bar1 = line.find('|');
    const auto bar2 = bar1 == std::string_view::npos ? bar1 : line.find('|', bar1 + 1);
    if (bar2 == std::string_view::npos) {
        return "expected \"file | difficulty | name\", found " + quoted(line);
    }
    const std::string_view file = trimmed(line.substr(0, bar1));
    const std::string_view difficulty = trimmed(line.substr(bar1 + 1, bar2 - bar1 - 1));
    const std::string_view name = trimmed(line.substr(bar2 + 1));
    if (std::string problem = fileProblem(file); !problem.empty()) {
        return problem;
    }
    if (difficulty.size() != 1 || difficulty[0] < '1' || difficulty[0] > '5') {
        return "the difficulty must be a whole number from 1 to 5, not " + quoted(difficulty);
    }
    if (name.empty()) {
        return "the track has no name";
    }
    if (name.size() > MAX_TRACK_NAME_BYTES) {
        return "the name " + quoted(name) + " is longer than " +
               std::to_string(MAX_TRACK_NAME_BYTES) + " bytes";
    }
    entry = {std::string(file), difficulty[0] - '0', std::string(name)};
    return {};
}

} // namespace

TrackEntry shippedTrack() {
    return {"sub2demo_debug.dae", 1, "Drift Belt"};
}

TrackListText parseTrackList(std::string_view text) {
    TrackListText result;
    if (text.starts_with(BYTE_ORDER_MARK)) {
        text.remove_prefix(BYTE_ORDER_MARK.size());
    }
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const auto end = text.find('\n');
        const std::string_view line =
            trimmed(text.substr(0, end == std::string_view::npos ? text.size() : end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        TrackEntry entry;
        if (std::string problem = readEntry(line, entry); !problem.empty()) {
            result.tracks.clear();
            result.problem = "line " + std::to_string(number) + ": " + problem;
            return result;
        }
        result.tracks.push_back(std::move(entry));
    }
    if (result.tracks.empty()) {
        result.problem = "it names no track";
    }
    return result;
}

namespace {

// The tracks of the list file at `path`, or the problem that makes it
// unusable.
std::vector<TrackEntry> readListFile(const std::string& path, std::string& problem) {
    BoundedRead file = readBoundedFile(path, MAX_TRACK_LIST_BYTES);
    problem = std::move(file.problem);
    if (file.tooLarge) {
        problem += ", too large for a list of tracks";
    }
    if (problem.empty()) {
        TrackListText list = parseTrackList(file.text);
        if (list.problem.empty()) {
            return std::move(list.tracks);
        }
        problem = list.problem;
    }
    return {};
}

bool isLevelFile(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension) {
        c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension == ".dae" || extension == ".glb" || extension == ".gltf";
}

} // namespace

std::vector<UserTrack> readUserTracks(const std::string& folder) {
    std::vector<UserTrack> tracks;
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error)) {
        return tracks;
    }
    const std::filesystem::path base(folder);
    std::set<std::string> listed;
    const std::string listPath = (base / TRACK_LIST_FILE).string();
    if (std::filesystem::exists(listPath, error)) {
        std::string problem;
        for (TrackEntry& entry : readListFile(listPath, problem)) {
            listed.insert(std::filesystem::path(entry.file).lexically_normal().string());
            std::string path = (base / entry.file).string();
            tracks.push_back({std::move(entry), std::move(path)});
        }
        if (!problem.empty()) {
            logMessage(LogLevel::ERROR, "Track list " + listPath + ": " + problem +
                                            "; the level files in " + folder +
                                            " join the tracks without it.");
        }
    }
    std::vector<std::string> files;
    for (std::filesystem::directory_iterator it(base, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (isLevelFile(it->path()) && !listed.count(name) && !it->is_directory(error)) {
            files.push_back(name);
        }
    }
    std::sort(files.begin(), files.end());
    for (const std::string& name : files) {
        std::string shown = std::filesystem::path(name).stem().string();
        if (shown.size() > MAX_TRACK_NAME_BYTES) {
            shown.resize(MAX_TRACK_NAME_BYTES);
        }
        tracks.push_back({{name, 0, shown}, (base / name).string()});
    }
    return tracks;
}

std::vector<TrackEntry> readTrackList(const std::string& path) {
    std::string problem;
    std::vector<TrackEntry> tracks = readListFile(path, problem);
    if (problem.empty()) {
        return tracks;
    }
    logMessage(LogLevel::ERROR,
               "Track list " + path + ": " + problem + "; only the shipped track can be chosen.");
    return {shippedTrack()};
}
