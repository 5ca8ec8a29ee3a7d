#pragma once

#include <cstdint>
#include <string>

struct PilotReport;

// How hard a track is to fly, graded 1 to 5 from what the player-like pilot's
// finished flight asked of it: each figure gives a level, and the track is as
// hard as its hardest figure.
//   sharpest turn (share of the ship's best turn rate, pitch and yaw held
//   together; see TestPilotTurn.h):
//     below 50% 1, below 60% 2, below 70% 3, below 80% 4, else 5;
//   least clearance to an obstacle: 12 m or more 1, 9 m 2, 6 m 3, 4 m 4,
//     closer 5;
//   obstacles within 10 m of the flown line: none 1, up to 3 2, up to 7 3,
//     up to 14 4, more 5.
int32_t difficultyGrade(const PilotReport& flight);

// "Difficulty: 2 of 5 (1330 m in 38.0 s; sharpest turn 45% of the ship's
// best turn rate; least clearance 12.9 m; 0 obstacles within 10 m)". The line
// always begins "Difficulty: N of 5", for scripts to read.
std::string difficultyLine(const PilotReport& flight);
