#include "game/Score.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

int32_t computeScore(int32_t collectedTrash, double totalTime) {
    if (!(totalTime > 0.0)) {
        return 0;
    }
    double points = double(int64_t(collectedTrash) * 20000) / totalTime;
    if (points >= double(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    if (points <= double(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    return int32_t(points);
}

std::string formatClock(double seconds) {
    if (!(seconds >= 0.0)) {
        seconds = 0.0;
    }
    // Clocks beyond the 32-bit range of whole seconds stop at its end.
    if (seconds > double(std::numeric_limits<int32_t>::max())) {
        seconds = double(std::numeric_limits<int32_t>::max());
    }
    int32_t whole = int32_t(seconds);
    int32_t minutes = whole / 60;
    int32_t secs = whole - 60 * minutes;
    double fraction = seconds - 60.0 * minutes - secs;
    // Truncate to hundredths; the small epsilon keeps values like 125.25, whose
    // fraction is stored as 0.2499999..., from losing a hundredth.
    int32_t hundredths = int32_t(std::floor(fraction * 100.0 + 1e-6));
    if (hundredths > 99) {
        hundredths = 99;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%d:%02d.%02d", minutes, secs, hundredths);
    return text;
}

float endScreenBrightness(float brightness) {
    return std::max(brightness - 0.5f, brightness * 0.5f);
}
