#pragma once

#include "game/PilotSteering.h"
#include "game/TrackGeometry.h"

#include <glm/vec3.hpp>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <vector>

class GameObject;
struct World;

// How the test pilot chooses its way to the next ring: lined up with the
// ring's axis from far enough out to pass it, or, at a sharp corner with the
// ring after in view, along a line thought out through both, begun before
// the first so that the turn for the second is under way when it is passed.
namespace pilot {

// How far past a ring's plane the ship may be before the ring counts as
// missed (the trigger reports within a step of the ship entering it).
inline constexpr float PAST_PLANE = 3.0f;

// The current ring and the pilot's attempts at it: the side of its plane it
// comes from, and where the ship crossed the plane.
struct RingAttempt {
    GameObject* ring = nullptr;
    std::optional<RingOpening> opening;
    // +1 or -1 along the opening's normal; 0 until chosen.
    float side = 0.0f;
    std::optional<float> previous;  // signed distance from the plane
    std::optional<float> crossedAt; // distance from the centre in the plane
    int32_t misses = 0;
    // Whether the last goal was straight through the opening, not a line-up.
    bool straightIn = false;
    uint64_t startStep = 0;
    uint64_t stepLimit = 0;

    // Starts on `current` when it is a new ring: the time allowed for it
    // grows with its distance from the ship.
    void follow(GameObject* current, const glm::vec3& ship, uint64_t step);
    // Watches the plane after a step. A crossing far from the ring is the
    // ship going round, not an attempt at the opening; one beside it is a
    // miss to try again, and true once the ship is well past the plane.
    bool crossed(const glm::vec3& ship);
    // After a miss outside the opening: come round and try again.
    void retry();
    // Where to fly next, for a ship that turns on a circle of `turnRadius`:
    // on the ring's axis from the side the ship comes from, far enough out
    // to line up, then through the middle.
    glm::vec3 goal(const ShipView& ship, float turnRadius);
};

// Where to steer on the way to `target`: the point itself, or, with `then`
// (the ring after it) given, a point a little on along the circle through
// the ship, the target and `then`: the steady turn that passes both.
struct Course {
    glm::vec3 target{0.0f};
    std::optional<glm::vec3> then;

    glm::vec3 aim(const glm::vec3& ship) const;
};

// How a course the pilot thinks of flying meets its rings: whether the ship
// crosses each ring's plane through its opening, with room to spare, and
// keeps clear of the obstacles it sees on the way.
struct Trial {
    bool through = false;
    float clearance = std::numeric_limits<float>::infinity();
    // The largest share of the room in an opening the course used.
    float worst = 0.0f;
};

// A part of a course: steer by `course` until the plane of `ring` is
// crossed.
struct Leg {
    Course course;
    const RingOpening* ring;
};

// How the pilot handles the ship: one key's steady turn rate and the ship's
// damping, and its own quickness: the steps between its looks and from a
// look to its keys acting.
struct Handling {
    float rate = 0.0f;
    float damping = 0.0f;
    uint64_t lookSteps = 1;
    uint64_t delaySteps = 0;
};

// Flies the ship in thought along `legs`, steering every look for the
// leg's target (around the obstacles seen now), until the last ring's plane
// is crossed, one is crossed outside its opening, or `seconds` run out.
Trial tryCourse(ShipView ship, std::initializer_list<Leg> legs,
                const std::vector<const ObstacleSurface*>& seen, const Handling& handling,
                double seconds);

// The course thought out for the ring being tried, kept per ring: the ring
// after it and whether it has been seen, the corner begun for it, and
// whether the last ring was passed in the middle of such a corner.
class CoursePlanner {
public:
    CoursePlanner(World& world, Sight& sight) : world_(world), sight_(sight) {}

    // Where to fly for now when the ring can be passed on a line flown
    // straight on from `from`: the ring after it, once it is in view and the
    // ship passes through the next ring's opening on its way there, so the
    // corner is begun early; or else a point of the opening on the side of
    // the ring after. Nothing when the ring needs lining up with, or has
    // been tried and missed.
    std::optional<Course> plan(const RingAttempt& attempt, const ShipView& from,
                               const std::vector<const ObstacleSurface*>& seen);

    void setHandling(const Handling& handling) { handling_ = handling; }

    // A ring was passed, on a course thought out (`onCourse`) or lined up.
    void passed(bool onCourse) { cornering_ = onCourse; }

private:
    // The opening of the ring after the next one, worked out once per ring.
    std::optional<RingOpening> ringAfter();
    float score(const ShipView& from, std::initializer_list<Leg> legs,
                const std::vector<const ObstacleSurface*>& seen, float metres) const;

    World& world_;
    Sight& sight_;
    Handling handling_;
    bool cornering_ = false;
    int32_t position_ = -1;
    size_t size_ = 0;
    std::optional<RingOpening> after_;
    bool afterSeen_ = false;
    std::optional<Course> begun_;
};

} // namespace pilot
