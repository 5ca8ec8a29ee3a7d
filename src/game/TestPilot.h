#pragma once

#include "game/Controls.h"

#include <glm/vec3.hpp>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>

class GameObject;
struct World;

// How a flight of the test pilot went.
struct PilotReport {
    enum class Outcome { Finished, Missed, Hit, Unpassable, OutOfTime, NoRing, NoShip };

    Outcome outcome = Outcome::OutOfTime;
    int32_t ringsPassed = 0;
    int32_t ringCount = 0;
    int32_t cansCollected = 0;
    int32_t canCount = 0;
    // Flying time until the track was finished or the first failure.
    double seconds = 0.0;
    uint64_t steps = 0;
    // The ring missed, the obstacle hit, the ring without a collision shape,
    // or the ring not reached in time.
    std::string object;
    // For a missed ring: how far outside its opening the ship crossed the
    // ring's plane (0 when it crossed inside but never touched the ring's
    // collision shape).
    float missedBy = 0.0f;
    // The least distance between the ship's centre and an obstacle's
    // collision surface, which one and when (infinite without obstacles).
    float closestApproach = std::numeric_limits<float>::infinity();
    std::string closestObject;
    double closestAt = 0.0;

    bool finished() const { return outcome == Outcome::Finished; }
    // One line, e.g. "FINISHED 12/12 rings in 38.1 s, 5/18 cans, closest
    // approach 13.9 m (roid.017 at 35.8 s)" or "NOT FINISHED: hit roid.004 at
    // 8.2 s".
    std::string line() const;
};

struct PilotOptions {
    // Flying time after which the pilot gives up on the current ring.
    double timeLimit = 300.0;
    // Called after every fixed step with the flying time so far, to look at
    // what the flight sees (the world's camera follows the ship); may be
    // empty.
    std::function<void(double seconds)> afterStep;
};

// Flies a built world's track the way a player can: the three flight commands
// at 0 or ±300 only, set once per main-loop pass (two fixed steps), with the
// game's own step, ship body, damping and rules. It steers for the centre of
// the next ring's opening and around an asteroid that blocks the straight line
// to it. The flight changes the world (the ship moves, cans are collected) and
// uses the process's physics context; the rules, the pending ship commands and
// the world's state pointer are put back afterwards. The same world gives the
// same report.
PilotReport flyTrack(World& world, const PilotOptions& options = {});

// The commands a key-holding player gives in one pass to turn the ship
// towards `target`: each of pitch, roll and yaw is 0 or ±300.
ShipControl steerTowards(const GameObject& ship, const glm::vec3& target);
