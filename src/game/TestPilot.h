#pragma once

#include "game/Controls.h"

#include <glm/vec3.hpp>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>

struct World;

// How a flight of the test pilot went.
struct PilotReport {
    enum class Outcome { Finished, Missed, Hit, Unpassable, GaveUp, NoRing, NoShip };

    Outcome outcome = Outcome::GaveUp;
    int32_t ringsPassed = 0;
    int32_t ringCount = 0;
    int32_t cansCollected = 0;
    int32_t canCount = 0;
    // Flying time until the track was finished or the flight ended.
    double seconds = 0.0;
    uint64_t steps = 0;
    // The ring missed, the obstacle hit, the ring without a collision shape,
    // or the ring the pilot gave up on.
    std::string object;
    // For a missed ring: how far outside its opening the ship crossed the
    // ring's plane on its last try (0 when it crossed inside but never
    // touched the ring's collision shape).
    float missedBy = 0.0f;
    // How often the ship crossed the plane of the ring it ended on outside
    // its opening, and for a ring given up on, how long the pilot tried it.
    int32_t misses = 0;
    double secondsOnRing = 0.0;
    // The least distance between the ship's centre and an obstacle's
    // collision surface, which one and when (infinite without obstacles).
    float closestApproach = std::numeric_limits<float>::infinity();
    std::string closestObject;
    double closestAt = 0.0;
    // What the flown line asked of a player: its length, the sharpest turn
    // the points where it passed the rings ask for (sharpestTurnShare), as a
    // share of the ship's best turn rate, and how many obstacles came within
    // NEAR_OBSTACLE of the ship's centre.
    double metres = 0.0;
    float sharpestTurn = 0.0f;
    int32_t obstaclesNear = 0;

    static constexpr float NEAR_OBSTACLE = 10.0f;

    bool finished() const { return outcome == Outcome::Finished; }
    // One line, e.g. "FINISHED 12/12 rings in 38.1 s, 5/18 cans, closest
    // approach 13.9 m (roid.017 at 35.8 s)" or "NOT FINISHED: hit roid.004 at
    // 8.2 s".
    std::string line() const;
};

struct PilotOptions {
    enum class Mode {
        // Reacts every second fixed step (72 times a second) to what it sees
        // at that moment, and knows every obstacle of the level.
        Perfect,
        // Reacts like a person: every PLAYER_REACTION_INTERVAL, to what it saw
        // PLAYER_REACTION_DELAY before its keys act. It knows where the next
        // ring is (the overlay marks it), sees the ring after it once that is
        // in the camera's view, and the obstacles in the camera's view.
        Player,
    };
    Mode mode = Mode::Perfect;

    static constexpr double PLAYER_REACTION_INTERVAL = 0.1;
    static constexpr double PLAYER_REACTION_DELAY = 0.25;
};

// Flies a built world's track the way a player can: the three flight keys
// held or released (commands of 0 or +-300) with the game's own step, ship
// body, damping and rules. It lines the ship up with each ring's axis from
// far enough out to pass it; at a sharp corner, with the ring after in view,
// it thinks out lines through the next ring and begins the turn for the ring
// after before it gets there, rolling a long turn onto the diagonal where
// pitch and yaw together turn the nose fastest. It steers around an
// asteroid that blocks its way,
// and when it crosses a ring's plane beside the opening it goes round and
// tries again. It gives up on a ring after a time that grows with the
// distance to it. The flight changes the world (the ship moves, cans are
// collected) and uses the process's physics context; the rules, the ship
// commands and the world's state pointer are put back afterwards. The same
// world gives the same report.
// `afterStep`, when given, is called after every fixed step with the flying
// time so far, to look at what the flight sees (the world's camera follows
// the ship).
PilotReport flyTrack(World& world, const PilotOptions& options = {},
                     const std::function<void(double seconds)>& afterStep = {});
