#include "levelcheck/Difficulty.h"

#include "game/TestPilot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace {

// The level of a figure: 1 plus the number of bounds it reaches, each bound
// being harder than the one before.
template <size_t N> int32_t levelAbove(float value, const float (&bounds)[N]) {
    return 1 + int32_t(std::count_if(std::begin(bounds), std::end(bounds),
                                     [&](float bound) { return value >= bound; }));
}

int32_t turnLevel(float share) {
    static const float BOUNDS[] = {0.50f, 0.60f, 0.70f, 0.80f};
    return levelAbove(share, BOUNDS);
}

int32_t clearanceLevel(float metres) {
    // Closer is harder: count the bounds the clearance falls below.
    static const float BOUNDS[] = {12.0f, 9.0f, 6.0f, 4.0f};
    return 1 + int32_t(std::count_if(std::begin(BOUNDS), std::end(BOUNDS),
                                     [&](float bound) { return metres < bound; }));
}

int32_t crowdLevel(int32_t near) {
    static const float BOUNDS[] = {1.0f, 4.0f, 8.0f, 15.0f};
    return levelAbove(float(near), BOUNDS);
}

} // namespace

int32_t difficultyGrade(const PilotReport& flight) {
    return std::max({turnLevel(flight.sharpestTurn), clearanceLevel(flight.closestApproach),
                     crowdLevel(flight.obstaclesNear)});
}

std::string difficultyLine(const PilotReport& flight) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "Difficulty: %d of 5 (%.0f m in %.1f s; sharpest turn %.0f%% of the ship's "
                  "best turn rate; least clearance ",
                  int(difficultyGrade(flight)), flight.metres, flight.seconds,
                  std::round(100.0 * double(flight.sharpestTurn)));
    std::string line = text;
    if (std::isinf(flight.closestApproach)) {
        line += "none (no obstacles)";
    } else {
        std::snprintf(text, sizeof text, "%.1f m", double(flight.closestApproach));
        line += text;
    }
    return line + "; " + std::to_string(flight.obstaclesNear) + " obstacles within " +
           std::to_string(int(PilotReport::NEAR_OBSTACLE)) + " m)";
}
