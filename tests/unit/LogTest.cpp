#include "core/Log.h"

#include <gtest/gtest.h>

namespace {

std::string logged(LogLevel level, const std::string& text) {
    testing::internal::CaptureStdout();
    logMessage(level, text);
    return testing::internal::GetCapturedStdout();
}

TEST(Log, InfoAndErrorReachTheConsoleInTheExactFormat) {
    EXPECT_EQ(logged(LogLevel::INFO, "Initializing..."), "[ INFO ]\tInitializing...\n");
    EXPECT_EQ(logged(LogLevel::ERROR, "boom"), "[ ERROR ]\tboom\n");
    EXPECT_EQ(logged(LogLevel::INFO, ""), "[ INFO ]\t\n");
    // Multi-line texts go out as they are.
    EXPECT_EQ(logged(LogLevel::ERROR, "a:\n\tb"), "[ ERROR ]\ta:\n\tb\n");
}

TEST(Log, OtherLevelsAreDropped) {
    EXPECT_EQ(logged(LogLevel::WARNING, "boom"), "");
    EXPECT_EQ(logged(LogLevel::DEBUG, "boom"), "");
    EXPECT_EQ(logged(LogLevel(7), "boom"), "");
    EXPECT_EQ(logged(LogLevel(-1), "boom"), "");
}

TEST(Log, LevelWords) {
    EXPECT_STREQ(logLevelWord(LogLevel::DEBUG), "DEBUG");
    EXPECT_STREQ(logLevelWord(LogLevel::WARNING), "WARNING");
    EXPECT_STREQ(logLevelWord(LogLevel(7)), "UNKNOWN");
}

TEST(Log, ACaptureKeepsTheShownLinesInsteadOfPrintingThem) {
    std::string printed;
    {
        LogCapture capture;
        printed = logged(LogLevel::ERROR, "no texture");
        printed += logged(LogLevel::INFO, "loading");
        printed += logged(LogLevel::DEBUG, "dropped as ever");
        ASSERT_EQ(capture.lines().size(), 2u);
        EXPECT_EQ(capture.lines()[0].level, LogLevel::ERROR);
        EXPECT_EQ(capture.lines()[0].text, "no texture");
        EXPECT_EQ(capture.lines()[1].level, LogLevel::INFO);
        EXPECT_EQ(capture.lines()[1].text, "loading");
    }
    EXPECT_EQ(printed, "");
    // Once it is gone, lines reach the console again.
    EXPECT_EQ(logged(LogLevel::ERROR, "boom"), "[ ERROR ]\tboom\n");
}

TEST(Log, CapturesNestAndTheLatestGetsTheLines) {
    LogCapture outer;
    {
        LogCapture inner;
        logMessage(LogLevel::ERROR, "inner");
        EXPECT_EQ(inner.lines().size(), 1u);
    }
    logMessage(LogLevel::ERROR, "outer");
    ASSERT_EQ(outer.lines().size(), 1u);
    EXPECT_EQ(outer.lines()[0].text, "outer");
}

} // namespace
