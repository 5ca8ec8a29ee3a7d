#include "tracks/TrackList.h"

#include "core/Log.h"
#include "game/TrackShelf.h"

#include "GameProcess.h"
#include "TempDir.h"
#include "game/TrackShelf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

TEST(TrackList, ReadsTheTracksInOrder) {
    const TrackListText list = parseTrackList("\xEF\xBB\xBF# the tracks\n"
                                              "\n"
                                              "sub2demo_debug.dae | 1 | Drift Belt\r\n"
                                              "  rocks/quarry.dae|4|  The Quarry  \n"
                                              "last.dae | 5 | Last One");
    ASSERT_EQ(list.problem, "");
    ASSERT_EQ(list.tracks.size(), 3u);
    EXPECT_EQ(list.tracks[0].file, "sub2demo_debug.dae");
    EXPECT_EQ(list.tracks[0].difficulty, 1);
    EXPECT_EQ(list.tracks[0].name, "Drift Belt");
    EXPECT_EQ(list.tracks[1].file, "rocks/quarry.dae");
    EXPECT_EQ(list.tracks[1].difficulty, 4);
    EXPECT_EQ(list.tracks[1].name, "The Quarry");
    EXPECT_EQ(list.tracks[2].name, "Last One");
}

TEST(TrackList, TheFirstBadLineMakesTheListUnusable) {
    const struct {
        const char* text;
        const char* problem;
    } cases[] = {
        {"", "it names no track"},
        {"# only a comment\n\n", "it names no track"},
        {"a.dae | 1 | A\nb.dae | 2\n", "line 2: expected \"file | difficulty | name\", found "
                                       "\"b.dae | 2\""},
        {" | 1 | A", "line 1: the level file is missing"},
        {"a.dae | 0 | A", "line 1: the difficulty must be a whole number from 1 to 5, not \"0\""},
        {"a.dae | 6 | A", "line 1: the difficulty must be a whole number from 1 to 5, not \"6\""},
        {"a.dae | 12 | A", "line 1: the difficulty must be a whole number from 1 to 5, not \"12\""},
        {"a.dae | easy | A",
         "line 1: the difficulty must be a whole number from 1 to 5, not \"easy\""},
        {"a.dae | 1 |  ", "line 1: the track has no name"},
        {"a.dae | 1 | xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
         "line 1: the name \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...\" is longer than 40 "
         "bytes"},
        {"/etc/passwd | 1 | A",
         "line 1: the level file \"/etc/passwd\" must lie in the level folder, not at an "
         "absolute path"},
        {"../../x.dae | 1 | A",
         "line 1: the level file \"../../x.dae\" must lie in the level folder, not above it"},
        {"a/../../x.dae | 1 | A",
         "line 1: the level file \"a/../../x.dae\" must lie in the level folder, not above it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const TrackListText list = parseTrackList(c.text);
        EXPECT_EQ(list.problem, c.problem);
        EXPECT_TRUE(list.tracks.empty());
    }
}

TEST(TrackList, AMissingOrBrokenFileGivesOneErrorAndTheShippedTrack) {
    TempDir dir;
    std::ofstream(dir.path() / "broken.list") << "a.dae | 9 | A\n";
    std::ofstream(dir.path() / "large.list") << std::string(MAX_TRACK_LIST_BYTES + 1, '#');
    const struct {
        std::string file;
        std::string says;
    } cases[] = {
        {"missing.list", "missing.list: no such file"},
        {"broken.list", "broken.list: line 1: the difficulty"},
        {"large.list", "large.list: it is larger than 64 KiB"},
        {"", "it is a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        LogCapture log;
        const auto tracks = readTrackList((dir.path() / c.file).string());
        ASSERT_EQ(tracks.size(), 1u);
        EXPECT_EQ(tracks[0].file, shippedTrack().file);
        ASSERT_EQ(log.lines().size(), 1u);
        EXPECT_EQ(log.lines()[0].level, LogLevel::ERROR);
        EXPECT_NE(log.lines()[0].text.find(c.says), std::string::npos) << log.lines()[0].text;
    }
}

TEST(TrackList, TheShippedListNamesTheShippedTrackFirst) {
    const auto tracks =
        readTrackList(std::string(KELVARO_SOURCE_DIR) + "/res/assets/models/worlds/tracks.list");
    ASSERT_FALSE(tracks.empty());
    EXPECT_EQ(tracks[0].file, "sub2demo_debug.dae");
    EXPECT_EQ(tracks[0].name, "Drift Belt");
}

TEST(TrackList, ALevelIsHashedAgainOnlyWhenItChanges) {
    TempDir folder;
    const auto level = folder.write("level.dae", "first").string();
    FileHashes hashes;
    const std::string first = hashes.of(level);
    ASSERT_EQ(first, fileContentHash(level));
    // The same size and time of change: taken for unchanged, not read again.
    const auto changed = std::filesystem::last_write_time(level);
    folder.write("level.dae", "other");
    std::filesystem::last_write_time(level, changed);
    EXPECT_EQ(hashes.of(level), first);
    folder.write("level.dae", "longer");
    EXPECT_EQ(hashes.of(level), fileContentHash(level));
    EXPECT_NE(hashes.of(level), first);
    std::filesystem::remove(level);
    EXPECT_EQ(hashes.of(level), "");
}

} // namespace

// A player's own tracks: those of the player's list in its order, then the
// other level files by name; a bad list is named once and left out.
TEST(TrackList, APlayersOwnLevelsJoinListedFirstThenByName) {
    TempDir dir;
    for (const char* file : {"b.glb", "a.DAE", "mine.dae", "notes.txt", "sub/deep.gltf"}) {
        dir.write(file, "x");
    }
    std::filesystem::create_directories(dir.path() / "folder.dae");
    dir.write("tracks.list", "mine.dae | 3 | My Canyon\nsub/deep.gltf | 2 | Deep\n");
    LogCapture log;
    std::vector<std::string> seen;
    for (const UserTrack& track : readUserTracks(dir.path().string())) {
        seen.push_back(track.entry.name + " " + std::to_string(track.entry.difficulty) + " " +
                       std::filesystem::relative(track.path, dir.path()).string());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"My Canyon 3 mine.dae", "Deep 2 sub/deep.gltf",
                                              "a 0 a.DAE", "b 0 b.glb"}));
    EXPECT_TRUE(log.lines().empty());

    dir.write("tracks.list", "mine.dae | 7 | My Canyon\n");
    seen.clear();
    for (const UserTrack& track : readUserTracks(dir.path().string())) {
        seen.push_back(track.entry.file);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"a.DAE", "b.glb", "mine.dae"}));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].text.find("tracks.list: line 1: the difficulty"), std::string::npos)
        << log.lines()[0].text;

    EXPECT_TRUE(readUserTracks((dir.path() / "none").string()).empty());
}

// What "kelvaro19 --tracks" prints for scripts: the shipped tracks, then the
// player's own, each with its best.
TEST(TrackList, TheGameListsItsTracksForScripts) {
    TempDir home;
    const std::filesystem::path data = home.path() / "data";
    const std::string level = std::string(KELVARO_SOURCE_DIR) + "/tests/data/loop_level/loop.glb";
    std::filesystem::create_directories(data / "kelvaro19/tracks");
    std::filesystem::copy_file(level, data / "kelvaro19/tracks/loop.glb");
    const std::string hash = fileContentHash(level);
    home.write("data/kelvaro19/bests.txt", hash + " 24.500 1633 loop.glb\n");
    const std::string output =
        runCommand("cd '" + std::string(KELVARO_SOURCE_DIR) + "' && HOME='" + home.path().string() +
                   "' XDG_CONFIG_HOME='" + home.path().string() + "/config' XDG_DATA_HOME='" +
                   data.string() + "' '" + KELVARO_GAME_BINARY + "' --tracks 2>&1; echo exit=$?");
    std::istringstream lines(output);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) {
        rows.push_back(line);
    }
    ASSERT_EQ(rows.size(), 7u) << output;
    EXPECT_EQ(rows[0], "Drift Belt\t1\tres/assets/models/worlds/sub2demo_debug.dae\t-\t-");
    EXPECT_EQ(rows[5],
              "loop\t-\t" + (data / "kelvaro19/tracks/loop.glb").string() + "\t24.50\t1633");
    EXPECT_EQ(rows[6], "exit=0");
}
