#include "game/Bests.h"

#include "core/Log.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string HASH_A = "00112233445566aa";
const std::string HASH_B = "ffeeddccbbaa9988";

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(BestsFile, FormatsAndReadsBack) {
    BestTable table{{HASH_A, {38.42, 1041, "sub2demo_debug.dae"}},
                    {HASH_B, {125.5, 0, "my level with spaces.dae"}}};
    const std::string text = formatBests(table);
    EXPECT_NE(text.find(HASH_A + " 38.420 1041 sub2demo_debug.dae\n"), std::string::npos) << text;
    const BestsText read = parseBests(text);
    ASSERT_EQ(read.problem, "");
    ASSERT_EQ(read.bests.size(), 2u);
    EXPECT_DOUBLE_EQ(read.bests.at(HASH_A).seconds, 38.42);
    EXPECT_EQ(read.bests.at(HASH_A).points, 1041);
    EXPECT_EQ(read.bests.at(HASH_B).file, "my level with spaces.dae");
}

TEST(BestsFile, ABadLineIsNamed) {
    const struct {
        std::string line;
        std::string problem;
    } cases[] = {
        {HASH_A + " 38.4 10", "expected \"<hash> <seconds> <points> <level file>\", found fewer "
                              "parts"},
        {"0011 38.4 10 a.dae", "the level hash \"0011\" is not 16 hex digits"},
        {"00112233445566AA 38.4 10 a.dae",
         "the level hash \"00112233445566AA\" is not 16 hex digits"},
        {HASH_A + " fast 10 a.dae", "the time \"fast\" is not a number of seconds"},
        {HASH_A + " -3 10 a.dae", "the time \"-3\" is not a number of seconds"},
        {HASH_A + " 0 10 a.dae", "the time \"0\" is not a number of seconds"},
        {HASH_A + " nan 10 a.dae", "the time \"nan\" is not a number of seconds"},
        {HASH_A + " 1e99 10 a.dae", "the time \"1e99\" is not a number of seconds"},
        {HASH_A + " 38.4 -1 a.dae",
         "the points \"-1\" are not a whole number from 0 to 2147483647"},
        {HASH_A + " 38.4 2147483648 a.dae",
         "the points \"2147483648\" are not a whole number from 0 to 2147483647"},
        {HASH_A + " 38.4 1.5 a.dae",
         "the points \"1.5\" are not a whole number from 0 to 2147483647"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const BestsText read = parseBests("# bests\n" + c.line + "\n");
        EXPECT_EQ(read.problem, "line 2: " + c.problem);
        EXPECT_TRUE(read.bests.empty());
    }
    const BestsText twice = parseBests(HASH_A + " 38.4 10 a.dae\n" + HASH_A + " 40 12 a.dae\n");
    EXPECT_EQ(twice.problem, "line 2: the level " + HASH_A + " is listed twice");
}

TEST(BestsFile, AFlightIsABestByTimeOrByPoints) {
    BestTable table;
    const struct {
        double seconds;
        int32_t points;
        bool time, points_;
        double keptSeconds;
        int32_t keptPoints;
    } flights[] = {
        {40.0, 500, true, true, 40.0, 500},   // the first flight
        {41.0, 400, false, false, 40.0, 500}, // slower, fewer
        {39.0, 400, true, false, 39.0, 500},  // faster only
        {45.0, 900, false, true, 39.0, 900},  // more points only
        {39.0, 900, false, false, 39.0, 900}, // the same again
    };
    for (const auto& f : flights) {
        const BestNews news = foldFlight(table, HASH_A, "a.dae", f.seconds, f.points);
        EXPECT_EQ(news.time, f.time) << f.seconds;
        EXPECT_EQ(news.points, f.points_) << f.points;
        EXPECT_DOUBLE_EQ(table.at(HASH_A).seconds, f.keptSeconds);
        EXPECT_EQ(table.at(HASH_A).points, f.keptPoints);
    }
}

class BestsStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    fs::path file() const { return dir.path() / "kelvaro19" / BESTS_FILE_NAME; }
};

TEST_F(BestsStoreTest, ANewBestIsWrittenWholeAndReadByTheNextGame) {
    {
        LogCapture log;
        BestsStore store(file());
        EXPECT_EQ(store.find(HASH_A), nullptr);
        EXPECT_TRUE(store.record(HASH_A, "a.dae", 40.0, 500).any());
        EXPECT_FALSE(store.record(HASH_A, "a.dae", 41.0, 100).any());
        EXPECT_TRUE(log.lines().empty());
    }
    BestsStore next(file());
    ASSERT_NE(next.find(HASH_A), nullptr);
    EXPECT_DOUBLE_EQ(next.find(HASH_A)->seconds, 40.0);
    // Nothing but the file is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(file().parent_path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(BestsStoreTest, AnEditedLevelStartsWithoutABestAndTheOldEntryStays) {
    BestsStore store(file());
    store.record(HASH_A, "a.dae", 40.0, 500);
    EXPECT_EQ(store.find(HASH_B), nullptr);
    EXPECT_TRUE(store.record(HASH_B, "a.dae", 60.0, 100).any());
    const std::string text = contents(file());
    EXPECT_NE(text.find(HASH_A + " 40.000 500 a.dae"), std::string::npos) << text;
    EXPECT_NE(text.find(HASH_B + " 60.000 100 a.dae"), std::string::npos) << text;
}

TEST_F(BestsStoreTest, TwoGamesKeepEachOthersBests) {
    BestsStore first(file());
    BestsStore second(file());
    first.record(HASH_A, "a.dae", 40.0, 500);
    second.record(HASH_B, "b.dae", 50.0, 600);
    BestsStore later(file());
    EXPECT_NE(later.find(HASH_A), nullptr);
    EXPECT_NE(later.find(HASH_B), nullptr);
}

TEST_F(BestsStoreTest, ADamagedFileIsNamedAndMovedAside) {
    fs::create_directories(file().parent_path());
    std::ofstream(file()) << HASH_A << " soon 10 a.dae\n";
    LogCapture log;
    BestsStore store(file());
    EXPECT_EQ(store.find(HASH_A), nullptr);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].level, LogLevel::ERROR);
    EXPECT_NE(log.lines()[0].text.find(file().string() + ": it is damaged (line 1: the time"),
              std::string::npos)
        << log.lines()[0].text;
    EXPECT_NE(log.lines()[0].text.find("moved aside to " + file().string() + ".bad"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_TRUE(fs::exists(file().string() + ".bad"));
    // The game goes on, and its next best makes a new, whole file.
    EXPECT_TRUE(store.record(HASH_A, "a.dae", 40.0, 500).any());
    EXPECT_EQ(parseBests(contents(file())).problem, "");
}

TEST_F(BestsStoreTest, AFolderThatCannotBeWrittenIsNamedOnce) {
    if (geteuid() == 0) {
        // Root writes into any folder: a file in the folder's place stands
        // in for one that cannot be written.
        std::ofstream(dir.path() / "kelvaro19") << "not a folder";
    } else {
        fs::create_directories(file().parent_path());
        fs::permissions(file().parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    }
    LogCapture log;
    BestsStore store(file());
    EXPECT_TRUE(store.record(HASH_A, "a.dae", 40.0, 500).any());
    EXPECT_TRUE(store.record(HASH_A, "a.dae", 30.0, 600).any());
    std::size_t errors = 0;
    for (const auto& line : log.lines()) {
        if (line.level == LogLevel::ERROR && line.text.find("cannot be") != std::string::npos) {
            ++errors;
        }
    }
    EXPECT_EQ(errors, 1u);
    // The session still knows its best.
    ASSERT_NE(store.find(HASH_A), nullptr);
    EXPECT_DOUBLE_EQ(store.find(HASH_A)->seconds, 30.0);
    fs::permissions(dir.path(), fs::perms::owner_all, fs::perm_options::add);
    if (fs::is_directory(file().parent_path())) {
        fs::permissions(file().parent_path(), fs::perms::owner_all);
    }
}

} // namespace
