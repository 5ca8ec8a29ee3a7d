#include "core/Log.h"

#include <iostream>

const char* logLevelWord(LogLevel level) {
    switch (level) {
    case LogLevel::DEBUG:
        return "DEBUG";
    case LogLevel::INFO:
        return "INFO";
    case LogLevel::WARNING:
        return "WARNING";
    case LogLevel::ERROR:
        return "ERROR";
    }
    return "UNKNOWN";
}

bool logLevelShown(LogLevel level) {
    return level == LogLevel::INFO || level == LogLevel::ERROR;
}

namespace {

LogCapture* activeCapture = nullptr;

} // namespace

LogCapture::LogCapture() : outer_(activeCapture) {
    activeCapture = this;
}

LogCapture::~LogCapture() {
    activeCapture = outer_;
}

void logMessage(LogLevel level, const char* text) {
    if (!logLevelShown(level)) {
        return;
    }
    if (activeCapture) {
        activeCapture->lines_.push_back({level, text ? text : ""});
        return;
    }
    // The configuration logs during static initialisation, possibly before
    // this translation unit's own stream initialiser has run.
    static std::ios_base::Init streamsReady;
    std::cout << "[ " << logLevelWord(level) << " ]\t" << text << std::endl;
    // A broken pipe or a closed stdout must not stop the game.
    std::cout.clear();
}

void logMessage(LogLevel level, const std::string& text) {
    logMessage(level, text.c_str());
}
