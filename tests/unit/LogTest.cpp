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

} // namespace
