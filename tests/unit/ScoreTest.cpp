#include "game/Score.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Score, GrowsWithTrashAndShrinksWithTime) {
    EXPECT_EQ(computeScore(6, 120.5), 995);
    EXPECT_EQ(computeScore(0, 120.5), 0);
    EXPECT_EQ(computeScore(1, 1.0), 20000);
}

TEST(Score, ATrackFinishedBeforeTheClockMovedScoresNothingInsteadOfOverflowing) {
    EXPECT_EQ(computeScore(3, 0.0), 0);
    EXPECT_EQ(computeScore(3, -1.0), 0);
    EXPECT_EQ(computeScore(100000, 1e-9), std::numeric_limits<int32_t>::max());
}

TEST(EndScreen, DimsByHalfAUnitButNeverToBlack) {
    EXPECT_FLOAT_EQ(endScreenBrightness(1.0f), 0.5f);
    EXPECT_FLOAT_EQ(endScreenBrightness(3.0f), 2.5f);
    EXPECT_FLOAT_EQ(endScreenBrightness(0.4f), 0.2f);
    EXPECT_FLOAT_EQ(endScreenBrightness(0.1f), 0.05f);
}

TEST(Clock, ReadsAsMinutesSecondsAndHundredths) {
    EXPECT_EQ(formatClock(65.2), "1:05.20");
    EXPECT_EQ(formatClock(24.43), "0:24.43");
    EXPECT_EQ(formatClock(8.33), "0:08.33");
    EXPECT_EQ(formatClock(125.25), "2:05.25");
    EXPECT_EQ(formatClock(0.0), "0:00.00");
    EXPECT_EQ(formatClock(0.4721), "0:00.47");
    EXPECT_EQ(formatClock(3600.07), "60:00.07");
    // A flight of 3518 steps of 1/144 s.
    EXPECT_EQ(formatClock(3518 / 144.0), "0:24.43");
}

TEST(Clock, NeverRunsBackwards) {
    EXPECT_EQ(formatClock(59.996), "0:59.99");
    EXPECT_EQ(formatClock(60.0), "1:00.00");
    // Walking the clock forward in small steps never shows an earlier time.
    std::string previous = formatClock(0.0);
    auto key = [](const std::string& t) {
        int m, s, h;
        std::sscanf(t.c_str(), "%d:%d.%d", &m, &s, &h);
        return (m * 60 + s) * 100 + h;
    };
    for (int i = 1; i < 20000; ++i) {
        std::string now = formatClock(i * 0.00693);
        ASSERT_GE(key(now), key(previous)) << previous << " then " << now;
        previous = now;
    }
}

} // namespace
