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

int32_t loopLevel(size_t loops) {
    return loops == 0 ? 1 : loops == 1 ? 3 : loops == 2 ? 4 : 5;
}

int32_t finishLevel(int32_t finished, int32_t flown) {
    const int32_t failed = flown - finished;
    return failed <= 1 ? 1 : failed == 2 ? 3 : failed == 3 ? 4 : 5;
}

// The middle of some values (the lower of the two middle ones for an even
// count): one odd flight does not move it.
template <typename T> T middle(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? T{} : values[(values.size() - 1) / 2];
}

std::string oneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

} // namespace

bool cameRound(const PilotReport::Leg& leg) {
    return leg.seconds - leg.straightSeconds > LOOP_SECONDS || leg.misses > 0;
}

FlightsSummary summarise(const std::vector<PilotReport>& flights, std::vector<LoopAtRing> loops) {
    FlightsSummary summary;
    summary.flown = int32_t(flights.size());
    std::vector<const PilotReport*> finished;
    std::vector<float> turns, clearances;
    std::vector<int32_t> near, loopCounts;
    for (const PilotReport& flight : flights) {
        if (flight.finished()) {
            finished.push_back(&flight);
            turns.push_back(flight.sharpestTurn);
            clearances.push_back(flight.steeringApproach);
            near.push_back(flight.obstaclesNearInTurns);
            loopCounts.push_back(
                int32_t(std::count_if(flight.legs.begin(), flight.legs.end(), cameRound)));
        }
    }
    summary.finished = int32_t(finished.size());
    if (!finished.empty()) {
        std::stable_sort(
            finished.begin(), finished.end(),
            [](const PilotReport* a, const PilotReport* b) { return a->seconds < b->seconds; });
        summary.typical = finished[(finished.size() - 1) / 2];
        summary.sharpestTurn = middle(turns);
        summary.steeringApproach = middle(clearances);
        summary.obstaclesNearInTurns = middle(near);
        summary.loopsFlown = middle(loopCounts);
    }
    summary.loops = std::move(loops);
    return summary;
}

int32_t difficultyGrade(const FlightsSummary& summary) {
    return std::max({finishLevel(summary.finished, summary.flown), turnLevel(summary.sharpestTurn),
                     clearanceLevel(summary.steeringApproach),
                     crowdLevel(summary.obstaclesNearInTurns),
                     loopLevel(size_t(summary.loopsFlown))});
}

std::string difficultyLine(const FlightsSummary& summary) {
    const PilotReport& flight = *summary.typical;
    char text[320];
    std::snprintf(text, sizeof text,
                  "Difficulty: %d of 5 (finished by %d of %d player-like flights; %.0f m in %.1f "
                  "s; sharpest turn %.0f%% of the ship's best turn rate; least clearance in a "
                  "turn ",
                  int(difficultyGrade(summary)), int(summary.finished), int(summary.flown),
                  flight.metres, flight.seconds, std::round(100.0 * double(summary.sharpestTurn)));
    std::string line = text;
    line += std::isinf(summary.steeringApproach) ? std::string("none")
                                                 : oneDecimal(summary.steeringApproach) + " m";
    line += "; " + std::to_string(summary.obstaclesNearInTurns) + " obstacles within " +
            std::to_string(int(PilotReport::NEAR_OBSTACLE)) + " m in turns; ";
    const size_t loops = size_t(summary.loopsFlown);
    line += loops == 0 ? "no loop" : loops == 1 ? "1 loop" : std::to_string(loops) + " loops";
    return line + ")";
}

std::string loopLine(const LoopAtRing& loop) {
    std::string line = "Loop at " + loop.ring + ": " + oneDecimal(loop.seconds) + " s lost in " +
                       std::to_string(loop.flights) + " of " + std::to_string(loop.reached) +
                       " flights";
    if (loop.misses > 0) {
        line += ", " + std::to_string(loop.misses) + (loop.misses == 1 ? " try" : " tries") +
                " beside its opening";
    }
    return line + "; " + loop.why;
}
