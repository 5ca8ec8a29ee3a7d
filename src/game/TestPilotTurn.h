#pragma once

#include <glm/vec3.hpp>

#include <vector>

// The turn a track asks of a player, from the points where a flight passed
// its rings. Through three passes in a row, turning by at most a right angle
// at the middle one, the gentlest way is the circle through all three, so
// its curvature is the least a player must hold from the first to the last.
// A sharper corner is a hairpin: the player comes about on a half circle no
// wider than the distance from the pass before to the pass after. Before the
// first ring the same holds with the heading the ship starts on. Loops flown
// to line up with a ring or to try it again lie between passes and do not
// count.

// The curvature (1/m) the corner at `b` asks for, between the passes `a`
// and `c`; 0 on a straight line.
float curvatureThrough(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c);

// The curvature (1/m) to reach `point` from `start`, setting off along
// `heading` (a unit vector).
float curvatureFrom(const glm::vec3& start, const glm::vec3& heading, const glm::vec3& point);

// The sharpest turn of a flight that left `start` along `heading` and passed
// the rings at `passes`, in order: the greatest curvature above times the
// ship's speed, as a share of `bestRate` (rad/s). A share above 1 means the
// ship cannot fly it on a steady turn and must go round: it counts as 1.
float sharpestTurnShare(const glm::vec3& start, const glm::vec3& heading,
                        const std::vector<glm::vec3>& passes, float speed, float bestRate);

// The ship's best turn rate (rad/s) with the given angular damping: pitch
// and yaw held together, which turns the nose faster than either alone.
float bestTurnRate(float angularDamping);
