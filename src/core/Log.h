#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Severity of a console line. Only INFO and ERROR reach the console; the
// others are composed by their callers and dropped.
enum class LogLevel : int32_t {
    DEBUG = 0,
    INFO = 1,
    WARNING = 2,
    ERROR = 3,
};

// The word printed between the brackets for a level ("UNKNOWN" for values
// outside the enumeration).
const char* logLevelWord(LogLevel level);

// Whether a level passes the console filter.
bool logLevelShown(LogLevel level);

// Writes "[ WORD ]\t" + text and a flushed line end to standard output when
// the level passes the filter. Never fails visibly.
void logMessage(LogLevel level, const char* text);
void logMessage(LogLevel level, const std::string& text);

// While one exists, the lines that would reach the console are kept in it
// instead (the level checker turns what a load logs into findings). Captures
// nest: the latest one alive gets the lines. Not for use across threads.
class LogCapture {
public:
    struct Line {
        LogLevel level;
        std::string text;
    };

    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<Line>& lines() const { return lines_; }

private:
    friend void logMessage(LogLevel level, const char* text);
    LogCapture* outer_;
    std::vector<Line> lines_;
};
