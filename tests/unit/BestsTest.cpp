#include "game/Bests.h"

#include "core/Log.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>
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
    BestTable table{{HASH_A, {38.42, 1041, "sub2demo_debug.dae", 2}},
                    {HASH_B, {125.5, 0, "my level with spaces.dae", 1}}};
    const BestsFileText file = formatBests(table, MAX_BESTS_BYTES);
    // The latest bettered last.
    EXPECT_NE(file.text.find(HASH_B + " 125.500 0 my level with spaces.dae\n" + HASH_A +
                             " 38.420 1041 sub2demo_debug.dae\n"),
              std::string::npos)
        << file.text;
    EXPECT_TRUE(file.left.empty());
    const BestsText read = parseBests(file.text);
    ASSERT_TRUE(read.problems.empty());
    ASSERT_EQ(read.bests.size(), 2u);
    EXPECT_DOUBLE_EQ(read.bests.at(HASH_A).seconds, 38.42);
    EXPECT_EQ(read.bests.at(HASH_A).points, 1041);
    EXPECT_EQ(read.bests.at(HASH_B).file, "my level with spaces.dae");
}

TEST(BestsFile, EveryNameWrittenIsReadBack) {
    const std::string longName = std::string(250, 'a') + "\xC3\xA9\xC3\xA9\xC3\xA9.dae";
    const struct {
        std::string name;
        std::string read;
    } cases[] = {
        {" ", "?"},
        {"", "?"},
        {"  two ends  ", "two ends"},
        {"line\nbreak\r.dae", "line?break?.dae"},
        {"tab\there", "tab?here"},
        // Cut whole characters only.
        {longName, std::string(250, 'a') + "\xC3\xA9\xC3\xA9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const BestsText read =
            parseBests(formatBests({{HASH_A, {40.0, 10, c.name, 1}}}, MAX_BESTS_BYTES).text);
        EXPECT_TRUE(read.problems.empty()) << read.problems.front();
        ASSERT_EQ(read.bests.size(), 1u);
        EXPECT_EQ(read.bests.at(HASH_A).file, c.read);
    }
}

TEST(BestsFile, BestsThatDoNotFitAreLeftOutEarliestFirst) {
    BestTable table;
    for (uint64_t i = 1; i <= 10; ++i) {
        char hash[17];
        std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(i));
        table[hash] = {40.0, 10, "level" + std::to_string(i) + ".dae", i};
    }
    const std::size_t full = formatBests(table, MAX_BESTS_BYTES).text.size();
    const std::size_t line = std::string("0000000000000001 40.000 10 level1.dae\n").size();
    const BestsFileText file = formatBests(table, full - 2 * line);
    EXPECT_LE(file.text.size(), full - 2 * line);
    EXPECT_EQ(file.left, (std::vector<std::string>{"0000000000000002", "0000000000000001"}));
    EXPECT_EQ(parseBests(file.text).bests.size(), 8u);
    const BestsText left = parseBests(file.leftText);
    EXPECT_TRUE(left.problems.empty());
    EXPECT_EQ(left.bests.size(), 2u);
}

TEST(BestsFile, ABadLineIsNamedAndSkipped) {
    const struct {
        std::string line;
        std::string problem;
    } cases[] = {
        {HASH_A + " 38.4 10", "expected \"<hash> <seconds> <points> <level file>\", found fewer "
                              "parts"},
        {"x", "expected \"<hash> <seconds> <points> <level file>\", found fewer parts"},
        {"0011 38.4 10 a.dae", "the level hash \"0011\" is not 16 hex digits"},
        {"00112233445566AA 38.4 10 a.dae",
         "the level hash \"00112233445566AA\" is not 16 hex digits"},
        {HASH_A + " fast 10 a.dae", "the time \"fast\" is not a number of seconds"},
        {HASH_A + " -3 10 a.dae", "the time \"-3\" is not a number of seconds"},
        {HASH_A + " 0 10 a.dae", "the time \"0\" is not a number of seconds"},
        {HASH_A + " 0.001 10 a.dae", "the time \"0.001\" is not a number of seconds"},
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
        const BestsText read = parseBests("# bests\n" + c.line + "\n" + HASH_B + " 50 7 b.dae\n");
        EXPECT_EQ(read.problems, std::vector<std::string>{"line 2: " + c.problem});
        EXPECT_EQ(read.bests.count(HASH_A), 0u);
        EXPECT_EQ(read.bests.count(HASH_B), 1u);
    }
    // A level listed twice keeps the better of both.
    const BestsText twice = parseBests(HASH_A + " 38.4 10 a.dae\n" + HASH_A + " 40 12 a.dae\n");
    EXPECT_TRUE(twice.problems.empty());
    EXPECT_DOUBLE_EQ(twice.bests.at(HASH_A).seconds, 38.4);
    EXPECT_EQ(twice.bests.at(HASH_A).points, 12);
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
        // The same clock step, as the file gives it back.
        {39.0 - 0.002, 900, false, false, 39.0, 900},
        {39.0 - 1.0 / 144.0, 900, true, false, 39.0 - 1.0 / 144.0, 900}, // one step faster
        {0.001, 900, false, false, 39.0 - 1.0 / 144.0, 900},             // no step at all
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
    // Nothing but the file and its lock is left in the folder.
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(file().parent_path())) {
        entries.push_back(entry.path().filename().string());
    }
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries,
              (std::vector<std::string>{BESTS_FILE_NAME, BESTS_FILE_NAME + std::string(".lock")}));
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

TEST_F(BestsStoreTest, ADamagedFileKeepsItsGoodLinesAndEveryCopy) {
    const std::string good = HASH_A + " 40.000 500 a.dae\n";
    const std::string bad = good + "x\n";
    const std::string copy = file().string() + ".bad";
    const std::string notice = "Some best times could not be read: see ";
    const struct {
        const char* what;
        std::string text;
        std::string logged; // in the one ERROR line
        std::string keptAs; // the copy the player is pointed to
        bool keepsA;        // the good line still counts
    } cases[] = {
        {"one bad line", bad,
         ": line 2: expected \"<hash> <seconds> <points> <level file>\", found fewer parts; that "
         "line is skipped, the file as it was is kept as " +
             copy + ", and the other bests count.",
         copy, true},
        {"damaged again: a copy of its own", bad,
         "; that line is skipped, the file as it was is "
         "kept as " +
             copy + ".2,",
         copy + ".2", true},
        {"many bad lines", good + "a\nb\nc\nd\n",
         ": line 2: expected \"<hash> <seconds> "
         "<points> <level file>\", found fewer parts; line 3: expected",
         copy + ".3", true},
        {"too large", std::string(MAX_BESTS_BYTES + 1, '#'),
         ": it is larger than 1 MiB; it was moved aside to " + copy +
             ".4, and the game goes on "
             "without its bests.",
         copy + ".4", false},
    };
    fs::create_directories(file().parent_path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(file(), std::ios::binary | std::ios::trunc) << c.text;
        LogCapture log;
        BestsStore store(file());
        EXPECT_EQ(store.find(HASH_A) != nullptr, c.keepsA);
        ASSERT_EQ(log.lines().size(), 1u);
        EXPECT_EQ(log.lines()[0].level, LogLevel::ERROR);
        EXPECT_NE(log.lines()[0].text.find(c.logged), std::string::npos) << log.lines()[0].text;
        // Every copy holds the file as it was, and no earlier one is lost.
        EXPECT_EQ(store.damagedCopy(), c.keptAs);
        EXPECT_EQ(contents(c.keptAs), c.text);
        EXPECT_EQ(contents(copy), bad);
        // What is left is read by the next game without a word.
        EXPECT_EQ(fs::exists(file()), c.keepsA);
        if (c.keepsA) {
            EXPECT_EQ(contents(file()).find("x\n"), std::string::npos);
            LogCapture quiet;
            EXPECT_NE(BestsStore(file()).find(HASH_A), nullptr);
            EXPECT_TRUE(quiet.lines().empty());
        }
        // Told on screen once, for a while.
        EXPECT_EQ(store.noticeAt(100.0), notice + c.keptAs);
        EXPECT_EQ(store.noticeAt(100.0 + BESTS_NOTICE_SECONDS), notice + c.keptAs);
        EXPECT_EQ(store.noticeAt(101.0 + BESTS_NOTICE_SECONDS), "");
    }
    EXPECT_EQ(BestsStore(file()).noticeAt(0.0), "");
    // The game goes on, and its next best makes a new, whole file.
    BestsStore store(file());
    EXPECT_TRUE(store.record(HASH_A, "a.dae", 40.0, 500).any());
    EXPECT_TRUE(parseBests(contents(file())).problems.empty());
}

TEST_F(BestsStoreTest, AFullFileSetsTheEarliestBestsAside) {
    // Filled to within one line of the ceiling.
    const std::string line = " 40.000 10 " + std::string(200, 'n') + "\n";
    const std::size_t header = formatBests({}, MAX_BESTS_BYTES).text.size();
    std::string text;
    for (uint64_t i = 1; i <= (MAX_BESTS_BYTES - header) / (16 + line.size()); ++i) {
        char hash[17];
        std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(i));
        text += hash + line;
    }
    fs::create_directories(file().parent_path());
    std::ofstream(file(), std::ios::binary) << text;
    LogCapture log;
    BestsStore store(file());
    EXPECT_TRUE(store.record(HASH_B, std::string(200, 'b'), 40.0, 10).any());
    EXPECT_LE(fs::file_size(file()), MAX_BESTS_BYTES);
    const BestsText read = parseBests(contents(file()));
    EXPECT_TRUE(read.problems.empty());
    EXPECT_EQ(read.bests.count(HASH_B), 1u);
    EXPECT_EQ(read.bests.count("0000000000000001"), 0u);
    const BestsText aside = parseBests(contents(file().string() + ".full"));
    EXPECT_EQ(aside.bests.count("0000000000000001"), 1u);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].text.find("is full: the bests of 1 levels bettered longest ago are "
                                       "moved to " +
                                       file().string() + ".full"),
              std::string::npos)
        << log.lines()[0].text;
}

TEST_F(BestsStoreTest, GamesWritingAtOnceKeepEveryBest) {
    fs::create_directories(file().parent_path());
    auto fly = [this](char first) {
        BestsStore store(file());
        for (int i = 0; i < 25; ++i) {
            store.record(std::string(1, first) + std::string(12, '0') + std::to_string(100 + i),
                         "a.dae", 40.0, 1);
        }
    };
    std::thread a(fly, 'a');
    std::thread b(fly, 'b');
    a.join();
    b.join();
    EXPECT_EQ(parseBests(contents(file())).bests.size(), 50u);
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
