#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/TestPilot.h"

// A ring where the player-like flights came round: the ring, how many of
// the flights that reached it lost time there, the seconds it cost them
// (the middle of their losses) and why the checker thinks they had to.
struct LoopAtRing {
    std::string ring;
    int32_t flights = 0;
    int32_t reached = 0;
    double seconds = 0.0;
    int32_t misses = 0;
    std::string why;
};

// Time lost on the way to a ring beyond the straight line to it, from which
// on a flight came round for it (a full turn of the ship takes about 10 s;
// weaving round a rock costs far less than this).
inline constexpr double LOOP_SECONDS = 4.0;

// Whether a flight came round on its way to the ring of `leg`.
bool cameRound(const PilotReport::Leg& leg);

// What the player-like flights of a check asked of a player, for the grade:
// of the flights that finished, the middle one's figures.
struct FlightsSummary {
    int32_t flown = 0;
    int32_t finished = 0;
    // The finished flight of middle time (null when none finished): the one
    // whose line the checker prints.
    const PilotReport* typical = nullptr;
    float sharpestTurn = 0.0f;
    float steeringApproach = 0.0f;
    int32_t obstaclesNearInTurns = 0;
    // The loops the middle finished flight flew (by the count of its
    // loops): one flight's loop more or less does not move it.
    int32_t loopsFlown = 0;
    std::vector<LoopAtRing> loops;
};

FlightsSummary summarise(const std::vector<PilotReport>& flights, std::vector<LoopAtRing> loops);

// How hard a track is to fly, graded 1 to 5 from what the player-like
// flights asked of a player: each figure gives a level, and the track is as
// hard as its hardest figure.
//   flights that finish: all or all but one 1, all but two 3, all but three
//   4, fewer 5;
//   sharpest turn (the middle finished flight's, as a share of the ship's
//   best turn rate, pitch and yaw held together; see TestPilotTurn.h):
//     below 50% 1, below 60% 2, below 70% 3, below 80% 4, else 5;
//   least clearance to an obstacle while turning (a rock passed on a
//   straight line asks nothing): 12 m or more 1, 9 m 2, 6 m 3, 4 m 4,
//   closer 5;
//   obstacles within 10 m while turning: none 1, up to 3 2, up to 7 3, up
//   to 14 4, more 5;
//   loops (of the middle finished flight): none 1, one 3, two 4, more 5.
// Every figure is the middle of the finished flights', so that one flight
// more or less that goes round does not move the grade: the same level
// exported again, rounded otherwise, gets the same grade.
int32_t difficultyGrade(const FlightsSummary& summary);

// "Difficulty: 2 of 5 (finished by 8 of 8 player-like flights; 1330 m in
// 38.0 s; sharpest turn 45% of the ship's best turn rate; least clearance in
// a turn 12.9 m; 0 obstacles within 10 m in turns; no loop)". The line
// always begins "Difficulty: N of 5 (", for scripts to read. Only for a
// summary with a finished flight.
std::string difficultyLine(const FlightsSummary& summary);

// "Loop at ring_6: 32.0 s lost in 6 of 8 flights; ring_6 faces 40 degrees
// off the line from ring_5".
std::string loopLine(const LoopAtRing& loop);
