#pragma once

#include <cstdint>
#include <string>

// The points of a finished track: collected × 20000 / seconds flown, truncated
// toward zero. A zero or negative flying time (a track finished before the
// clock moved) gives 0 points rather than an undefined division, and results
// beyond the 32-bit range are clamped.
int32_t computeScore(int32_t collectedTrash, double totalTime);

// A time as every screen shows it: minutes:seconds.hundredths, the seconds
// two digits (65.2 s gives "1:05.20", 24.43 s "0:24.43"). The hundredths are
// cut, never rounded, so the clock only ever moves forward (59.996 s shows
// 0:59.99).
std::string formatClock(double seconds);

// The scene's brightness behind an end message: 0.5 lower, as the end screens
// have always been dimmed, but never below half of what it was, so that a
// player who turned BRIGHTNESS below 1 still sees the scene dimmed and not
// black (0.4 would otherwise become -0.4).
float endScreenBrightness(float brightness);
