#pragma once

#include <cstdint>
#include <string>

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
