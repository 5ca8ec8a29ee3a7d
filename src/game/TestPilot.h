#pragma once

#include "game/Controls.h"
#include "game/CoursePlanner.h"
#include "game/PilotSteering.h"
#include "game/Run.h"
#include "game/TrackGeometry.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

class GameObject;
class CollisionCallback;
class WorldStart;
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

    // The same two figures counted only while the ship was turning: a rock
    // passed on a straight line asks nothing of a player, one passed in a
    // turn asks for a well judged one.
    float steeringApproach = std::numeric_limits<float>::infinity();
    int32_t obstaclesNearInTurns = 0;

    static constexpr float NEAR_OBSTACLE = 10.0f;
    // The ship counts as turning from this rate on (radians a second).
    static constexpr float TURNING = 0.25f;

    // The way to each ring passed: the seconds from the pass before (or
    // the start), the seconds a straight line from there to the ring's
    // middle takes, and the tries beside its opening. Much more time than
    // the straight line is a loop flown to line up or to try again.
    struct Leg {
        std::string ring;
        double seconds = 0.0;
        double straightSeconds = 0.0;
        int32_t misses = 0;
    };
    std::vector<Leg> legs;

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
        // Reacts like a person: every `lookInterval`, to what it saw
        // `reactionDelay` before its keys act, aiming with a small error. It
        // knows where the next ring is (the overlay marks it), sees the ring
        // after it once that is in the camera's view, and the obstacles in
        // the camera's view.
        Player,
    };
    Mode mode = Mode::Perfect;

    double reactionDelay = PLAYER_REACTION_DELAY;
    double lookInterval = PLAYER_REACTION_INTERVAL;
    // The spread of the player's aim (radians): each look it steers for a
    // point off the one it means by about this angle.
    float aimError = 0.0f;
    // Where its aim errors come from: the same seed flies the same flight.
    uint32_t seed = 1;
    // Keys held from the start to the end instead of a pilot's choice (to
    // sweep the ways the ship can turn), and the longest flight in seconds
    // (0 for none): a flight cut short ends as given up.
    std::optional<ShipControl> held;
    double longest = 0.0;

    static constexpr double PLAYER_REACTION_INTERVAL = 0.1;
    static constexpr double PLAYER_REACTION_DELAY = 0.25;
};

// The player-like pilots a level check flies: eight people of different
// quickness (reaction times from 0.2 to 0.35 s, looks 7 to 12 times a
// second) and steadiness of aim, each with a fixed seed, so that a check is
// repeatable.
std::vector<PilotOptions> playerPilots();

// One flight of the test pilot over a built world, from the start to the
// end of the track or whatever ends it first: a `Run` of the game, stepped
// with the run's own step, with the keys the pilot holds. The pilot holds
// the three flight keys or lets them go (commands of 0 or +-300). It lines
// the ship up with each ring's axis from far enough out to pass it; at a
// sharp corner, with the ring after in view, it thinks out lines through
// the next ring and begins the turn for the ring after before it gets
// there (CoursePlanner.h). It steers around an asteroid that blocks its
// way, and when it crosses a ring's plane beside the opening it goes round
// and tries again. It gives up on a ring after a time that grows with the
// distance to it. The flight puts the world back at `start` first, and uses
// the process's physics context: its rules are the flight's while it lives.
// The same world and options give the same report.
class TestFlight {
public:
    TestFlight(World& world, const WorldStart& start, const PilotOptions& options);
    ~TestFlight();
    TestFlight(const TestFlight&) = delete;
    TestFlight& operator=(const TestFlight&) = delete;

    // One look (when one is due) and one fixed step; false once the flight
    // has ended.
    bool step();
    bool over() const { return over_; }
    // Flying time so far.
    double seconds() const;
    // Flies to the end; `afterStep`, when given, is called after every
    // fixed step with the flying time so far, to look at what the flight
    // sees (the world's camera follows the ship).
    PilotReport fly(const std::function<void(double seconds)>& afterStep = {});
    // How the flight went (so far).
    PilotReport report() const;

private:
    void look();
    void watch(const glm::vec3& before);
    void end();
    // The ring to pass next, looked up in the list only when the position or
    // the list changed (a long track would otherwise be walked every step).
    GameObject* nextRing();

    World& world_;
    PilotOptions options_;
    Run run_;
    std::unique_ptr<CollisionCallback> previousRules_;
    // The first obstacle the ship touched, noted by the flight's rules.
    std::optional<std::string> hit_;
    GameObject* ship_ = nullptr;
    std::vector<ObstacleSurface> surfaces_;
    pilot::Sight sight_;
    float damping_ = 0.0f;
    float oneKeyRate_ = 0.0f;
    uint64_t delaySteps_ = 0;
    pilot::PendingKeys pending_;
    pilot::RingAttempt attempt_;
    pilot::CoursePlanner planner_;
    std::optional<pilot::Course> plan_;
    const GameObject* plannedFor_ = nullptr;
    uint64_t steps_ = 0;
    uint64_t nextLook_ = 0;
    uint64_t nextPlan_ = 0;
    std::mt19937 random_;
    // The player's aim error now (radians up and left).
    glm::vec2 aimDrift_{0.0f};
    // Where the ship started and headed, and where it passed each ring.
    glm::vec3 start_{0.0f};
    glm::vec3 startHeading_{0.0f, 0.0f, 1.0f};
    std::vector<glm::vec3> passes_;
    double lastPassAt_ = 0.0;
    std::set<const GameObject*> near_;
    std::set<const GameObject*> nearInTurns_;
    int32_t ringsBefore_ = 0;
    bool over_ = false;
    int32_t ringPosition_ = -1;
    size_t listSize_ = 0;
    GameObject* nextRing_ = nullptr;
    PilotReport report_;
};

// One flight over `world`, put back first at where it stood when this was
// called (the world must not have been stepped yet).
PilotReport flyTrack(World& world, const PilotOptions& options = {},
                     const std::function<void(double seconds)>& afterStep = {});
