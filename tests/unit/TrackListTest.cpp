#include "tracks/TrackList.h"

#include "core/Log.h"
#include "game/TrackShelf.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
