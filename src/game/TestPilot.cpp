#include "game/TestPilot.h"

#include "game/TestPilotTurn.h"

#include "core/CameraDefaults.h"
#include "core/GameState.h"
#include "core/LoopScheduler.h"
#include "game/GameRules.h"
#include "game/Input.h"
#include "game/Run.h"
#include "game/TrackGeometry.h"
#include "physics/PhysicsContext.h"
#include "physics/RigidBody.h"
#include "world/World.h"

#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <iterator>
#include <optional>
#include <set>

namespace {

using Mode = PilotOptions::Mode;

constexpr float KEY = 300.0f;
constexpr uint64_t PERFECT_STEPS_PER_DECISION = 2;
// How far the pilot keeps the ship's centre from an asteroid's bounding sphere
// when it steers around it.
constexpr float DETOUR_MARGIN = 3.0f;
// How far past a ring's plane the ship may be before the ring counts as
// missed (the trigger reports within a step of the ship entering it).
constexpr float PAST_PLANE = 3.0f;
// Crossings of a ring's plane beside its opening before the ring counts as
// missed for good.
constexpr int32_t MAX_MISSES = 3;
// The time the pilot allows itself for a ring: a fixed part for lining up and
// going round, and three times the straight flight to it.
constexpr double RING_TIME_BASE = 40.0;
constexpr double RING_TIME_PER_METRE = 3.0 / double(SHIP_SPEED);
// The cone behind a ring's opening from which the pilot flies straight at
// it (its widening per metre out); from outside it, the pilot first comes
// onto the ring's axis, from at least ENTRY_TURNS turn radii out.
constexpr float FUNNEL_SLOPE = 0.6f;
constexpr float ENTRY_TURNS = 1.5f;
// Pitch and yaw held together spin the ship this many times as fast as one.
const float BOTH_KEYS = std::sqrt(2.0f);
// A turn longer than this (radians), or faster than this share of one
// key's rate, is worth rolling onto the diagonal.
constexpr float ROLL_INTO_TURN = 0.35f;
constexpr float ROLL_ABOVE = 0.8f;
// The pilot thinks out a line only to a ring this near (metres); one further
// off is flown for straight or lined up with.
constexpr float PLAN_RANGE = 260.0f;
// The room (metres) a line thought out keeps from the bounding sphere of an
// obstacle seen.
constexpr float PLAN_CLEARANCE = 1.0f;
// A turn at a ring (radians) from which on the pilot thinks about the
// corner before it gets there, once it has seen the ring after.
constexpr float CORNER = 0.3f;
// The pilot thinks out lines to a ring at most this far off the nose
// (radians): out of a corner begun before the last ring, the ship may still
// be turning towards it.
constexpr float OUT_OF_CORNER = 1.75f;
// How much harder than the steady turn to a point the pilot turns for it,
// making up for the ship's lag behind its keys.
constexpr float PURSUIT_GAIN = 1.2f;
// How far ahead along a turn (metres) the pilot looks to steer along it.
constexpr float LEAD = 20.0f;
// How far off the middle of a ring's opening, as a share of its radius, the
// pilot passes on the side of the ring after it.
constexpr float CORNER_CUT = 0.45f;

// Steps from a player's look at `step` to its next: looks fall on whole
// reaction intervals of flying time.
uint64_t lookSteps(uint64_t step) {
    const double interval = PilotOptions::PLAYER_REACTION_INTERVAL;
    const double now = double(step) * double(PHYSICS_STEP);
    const double nextLook = (std::floor(now / interval + 1e-9) + 1.0) * interval;
    return std::max<uint64_t>(1,
                              uint64_t(std::ceil(nextLook / double(PHYSICS_STEP) - 1e-9)) - step);
}

float key(float error) {
    constexpr float DEAD_BAND = 0.02f;
    return error > DEAD_BAND ? KEY : error < -DEAD_BAND ? -KEY : 0.0f;
}

std::string oneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The game's rules, noting the first obstacle the ship touches.
class PilotRules : public GameRules {
public:
    using GameRules::GameRules;

    void onContact(const ContactPairHeader& header, const ContactPair* pairs,
                   uint32_t count) override {
        for (uint32_t i = 0; i < count && !hit; ++i) {
            if (!pairs[i].touchFound()) {
                continue;
            }
            for (RigidBody* body : header.bodies) {
                const GameObject* object = body ? body->userData() : nullptr;
                if (object && object->kind != ObjectKind::Ship) {
                    hit = designerName(object->name);
                }
            }
        }
        GameRules::onContact(header, pairs, count);
    }

    std::optional<std::string> hit;
};

// What the pilot knows of the ship when it decides.
struct ShipView {
    glm::vec3 position{0.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 spin{0.0f}; // angular velocity, radians a second

    glm::vec3 forward() const { return rotation * glm::vec3(0, 0, 1); }
    glm::vec3 up() const { return rotation * glm::vec3(0, 1, 0); }
    glm::vec3 left() const { return rotation * glm::vec3(1, 0, 0); }
};

// One fixed step of the ship with `keys` held: the game's torque, damping
// and speed, as a player who knows the ship's handling judges them.
void stepShip(ShipView& ship, const ShipControl& keys, float damping) {
    const float dt = PHYSICS_STEP;
    const glm::quat r = ship.rotation;
    const glm::vec3 torque = (dt * STEP_TORQUE_SHARE) * (keys.pitch * (r * glm::vec3(-1, 0, 0)) +
                                                         keys.roll * (r * glm::vec3(0, 0, 1)) +
                                                         keys.yaw * (r * glm::vec3(0, -1, 0)));
    ship.spin = (ship.spin + torque * dt) * std::max(0.0f, 1.0f - damping * dt);
    const float speed = glm::length(ship.spin);
    if (speed > RigidBody::MAX_ANGULAR_VELOCITY) {
        ship.spin *= RigidBody::MAX_ANGULAR_VELOCITY / speed;
    }
    ship.position += ship.forward() * (SHIP_SPEED * dt);
    const float angle = glm::length(ship.spin) * dt;
    if (angle > 1e-9f) {
        ship.rotation = glm::normalize(glm::angleAxis(angle, glm::normalize(ship.spin)) * r);
    }
}

// Where the ship will be `count` steps after `step`, with the keys it holds
// now and those it has chosen to press next: a player knows the ship's
// handling and what its own hands do.
ShipView predict(ShipView ship, ShipControl keys,
                 const std::deque<std::pair<uint64_t, ShipControl>>& pending, uint64_t step,
                 uint64_t count, float damping) {
    auto next = pending.begin();
    for (uint64_t k = 0; k < count; ++k) {
        while (next != pending.end() && next->first <= step + k) {
            keys = next->second;
            ++next;
        }
        stepShip(ship, keys, damping);
    }
    return ship;
}

// The keys a key-holding player gives to turn the ship towards `target`, at
// most at `rate` radians a second (one key's steady rate), or, `hard` into
// a corner, as fast as the ship turns: each of pitch, roll and yaw is 0 or
// +-300.
ShipControl steer(const ShipView& ship, const glm::vec3& target, float rate, bool hard) {
    ShipControl control;
    const glm::vec3 line = target - ship.position;
    if (glm::length(line) < 1e-4f) {
        return control;
    }
    const glm::vec3 toTarget = glm::normalize(line);
    const glm::vec3 forward = ship.forward(), up = ship.up(), left = ship.left();
    // Wanted turn rates (rad/s) from the angle still to turn, split between
    // pitch and yaw so that the nose turns in the plane that holds the
    // target, even when it lies behind. Pitch and yaw held together turn the
    // nose faster than either alone.
    const float angle = std::acos(glm::clamp(glm::dot(toTarget, forward), -1.0f, 1.0f));
    glm::vec3 across = toTarget - glm::dot(toTarget, forward) * forward;
    if (glm::length(across) < 1e-4f) {
        across = up;
    }
    across = glm::normalize(across);
    float wanted = std::min(2.5f * angle, rate);
    if (hard) {
        // Into a corner: at least the steady turn that arrives at the target
        // (a chord of a circle makes the same angle with its tangent at both
        // ends), with both keys where one is not enough.
        const float arc = angle < glm::half_pi<float>()
                              ? 2.0f * SHIP_SPEED * std::sin(angle) / glm::length(line)
                              : BOTH_KEYS * rate;
        wanted = std::min(std::max(2.5f * angle, PURSUIT_GAIN * arc), BOTH_KEYS * rate);
    }
    const bool longTurn = hard && (angle > ROLL_INTO_TURN || wanted > ROLL_ABOVE * rate);
    // Each key alone spins the ship at most at `rate`.
    const float wantUp = glm::clamp(wanted * glm::dot(across, up), -rate, rate);
    const float wantRight = glm::clamp(wanted * -glm::dot(across, left), -rate, rate);
    // S (+300) turns the nose up, about the ship's -x; E (+300) turns it
    // right, about its -y; D (+300) rolls about its +z.
    control.pitch = key(wantUp - glm::dot(ship.spin, -left));
    control.yaw = key(wantRight - glm::dot(ship.spin, -up));
    // For a long turn the player rolls it onto the nearest diagonal between
    // pitch and yaw, where both keys stay held; otherwise the roll is held
    // still. Rolling by b turns the target's bearing (in the ship's left-up
    // plane) back by b.
    float wantRoll = 0.0f;
    if (longTurn) {
        const float quarter = glm::half_pi<float>();
        const float bearing = std::atan2(glm::dot(across, up), glm::dot(across, left));
        const float diagonal =
            std::round((bearing - 0.5f * quarter) / quarter) * quarter + 0.5f * quarter;
        wantRoll = glm::clamp(2.5f * (bearing - diagonal), -rate, rate);
    }
    control.roll = key(wantRoll - glm::dot(ship.spin, forward));
    return control;
}

// Where to steer for `target`: the target itself, or a point beside the
// first asteroid whose bounding sphere the straight line would cut.
glm::vec3 aimPoint(const glm::vec3& from, const glm::vec3& target, const glm::vec3& up,
                   const std::vector<const ObstacleSurface*>& surfaces) {
    const glm::vec3 line = target - from;
    const float length = glm::length(line);
    if (length < 1e-3f) {
        return target;
    }
    const glm::vec3 direction = line / length;
    const ObstacleSurface* blocking = nullptr;
    float nearest = length;
    glm::vec3 offset(0.0f);
    for (const ObstacleSurface* surface : surfaces) {
        const float clear = surface->radius + DETOUR_MARGIN;
        // Inside a sphere there is no side to pass it on; beside one, the
        // line must still pass it.
        if (glm::length(from - surface->centre) < surface->radius ||
            glm::length(target - surface->centre) < clear) {
            continue;
        }
        const float along = glm::dot(surface->centre - from, direction);
        if (along <= 0.0f || along >= nearest) {
            continue;
        }
        const glm::vec3 beside = from + along * direction - surface->centre;
        if (glm::length(beside) < clear) {
            blocking = surface;
            nearest = along;
            offset = beside;
        }
    }
    if (!blocking) {
        return target;
    }
    glm::vec3 side = offset;
    if (glm::length(side) < 1e-3f) {
        side = up - glm::dot(up, direction) * direction;
    }
    // Twice the margin out: a line to a point on the margin's sphere would
    // still cut into it.
    return blocking->centre + glm::normalize(side) * (blocking->radius + 2.0f * DETOUR_MARGIN);
}

GameObject* objectAt(World& world, int32_t position) {
    if (position < 0 || position >= int32_t(world.objects.size())) {
        return nullptr;
    }
    return &*std::next(world.objects.begin(), position);
}

// The ring to pass next, looked up in the list only when the position or the
// list changed (a long track would otherwise be walked on every step).
class NextRing {
public:
    GameObject* get(World& world) {
        if (world.currentRing != position_ || world.objects.size() != size_) {
            position_ = world.currentRing;
            size_ = world.objects.size();
            ring_ = objectAt(world, position_);
        }
        return ring_;
    }

private:
    int32_t position_ = -1;
    size_t size_ = 0;
    GameObject* ring_ = nullptr;
};

// Where to steer on the way to `target`: the point itself, or, with `then`
// (the ring after it) given, a point LEAD metres on along the circle through
// the ship, the target and `then`: the steady turn that passes both.
struct Course {
    glm::vec3 target;
    std::optional<glm::vec3> then;

    glm::vec3 aim(const glm::vec3& ship) const {
        if (!then) {
            return target;
        }
        const glm::vec3 a = target - ship, b = *then - ship;
        const glm::vec3 turn = glm::cross(a, b);
        const float area = glm::dot(turn, turn);
        // In a line (or on the target) there is no circle: straight on.
        if (area <= 1e-6f * glm::dot(a, a) * glm::dot(b, b)) {
            return target;
        }
        const glm::vec3 centre =
            ship + glm::cross(glm::dot(a, a) * b - glm::dot(b, b) * a, turn) / (2.0f * area);
        const float radius = glm::length(ship - centre);
        return centre + glm::angleAxis(std::min(LEAD / radius, 1.0f), glm::normalize(turn)) *
                            (ship - centre);
    }
};

// The opening of the ring after the next one, worked out once per ring.
class RingAhead {
public:
    std::optional<RingOpening> get(World& world) {
        if (world.currentRing != position_ || world.objects.size() != size_) {
            position_ = world.currentRing;
            size_ = world.objects.size();
            const GameObject* ring = objectAt(world, position_ + 1);
            opening_ = ring && ring->kind == ObjectKind::Ring ? ringOpening(*ring) : std::nullopt;
            seen = false;
            begun.reset();
        }
        return opening_;
    }

    // The course chosen to begin the turn for it before the ring in between.
    std::optional<Course> begun;

    // Whether the player has had it in view since the last ring.
    bool seen = false;

private:
    int32_t position_ = -1;
    size_t size_ = 0;
    std::optional<RingOpening> opening_;
};

// A point the ship cannot reach by turning, since it lies inside one of its
// turning circles: the ship flies on until it can.
bool insideTurn(const ShipView& ship, const glm::vec3& point, float turnRadius) {
    const glm::vec3 line = point - ship.position;
    const float along = glm::dot(line, ship.forward());
    const float across = glm::length(line - along * ship.forward());
    // Distance from the centre of the turning circle on the point's side.
    const float toCentre = std::hypot(along, across - turnRadius);
    return toCentre < turnRadius;
}

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

    void follow(GameObject* current, const glm::vec3& ship, uint64_t step) {
        if (current == ring) {
            return;
        }
        *this = RingAttempt{};
        ring = current;
        opening = current ? ringOpening(*current) : std::nullopt;
        startStep = step;
        const glm::vec3 goal = opening ? opening->centre : current ? current->getPosition() : ship;
        const double seconds = RING_TIME_BASE + RING_TIME_PER_METRE * glm::length(goal - ship);
        stepLimit = uint64_t(seconds / double(PHYSICS_STEP));
    }

    // Watches the plane after a step. A crossing far from the ring is the
    // ship going round, not an attempt at the opening; one beside it is a
    // miss to try again, and true once the ship is well past the plane.
    bool crossed(const glm::vec3& ship) {
        if (!opening) {
            return false;
        }
        const glm::vec3 offset = ship - opening->centre;
        const float now = glm::dot(offset, opening->normal);
        if (previous && !crossedAt && (now > 0.0f) != (*previous > 0.0f)) {
            const float across = glm::length(offset - now * opening->normal);
            if (across < std::max(4.0f * opening->radius, opening->radius + 30.0f)) {
                crossedAt = across;
            }
        }
        previous = now;
        return crossedAt && std::abs(now) > PAST_PLANE;
    }

    // After a miss outside the opening: come round and try again.
    void retry() {
        ++misses;
        crossedAt.reset();
        side = 0.0f;
    }

    // Where to fly next, for a ship at `ship` that turns on a circle of
    // `turnRadius`: on the ring's axis from the side the ship comes from,
    // far enough out to line up, then through the middle.
    glm::vec3 goal(const ShipView& ship, float turnRadius) {
        if (!opening) {
            return ring->getPosition();
        }
        const glm::vec3 centre = opening->centre, normal = opening->normal;
        const glm::vec3 offset = ship.position - centre;
        const float axial = glm::dot(offset, normal);
        const float across = glm::length(offset - axial * normal);
        if (side == 0.0f) {
            // Beside the ring, the side ahead of the ship is the one it
            // reaches without turning back.
            if (std::abs(axial) > opening->radius) {
                side = axial > 0.0f ? 1.0f : -1.0f;
            } else {
                side = glm::dot(ship.forward(), normal) >= 0.0f ? 1.0f : -1.0f;
            }
        }
        float out = side * axial;
        if (out < -PAST_PLANE - 2.0f || (out <= 0.0f && across >= opening->radius)) {
            // Past the plane away from the opening: come round from this side.
            side = -side;
            out = -out;
        }
        straightIn = true;
        if (out <= 0.0f && out > -PAST_PLANE - 2.0f && across < opening->radius) {
            // Going through: straight on along the axis.
            return centre - (side * turnRadius) * normal;
        }
        const bool towards = glm::dot(ship.forward(), -side * normal) > 0.5f;
        if (towards && out > 0.0f && across <= 0.5f * opening->radius + FUNNEL_SLOPE * out &&
            !insideTurn(ship, centre, turnRadius)) {
            // Behind the opening and headed for it: straight for the middle,
            // as a player flies a track; the angle it passes at is small.
            return centre;
        }
        straightIn = false;
        // Elsewhere: steer by a field of headings that brings the ship onto
        // the axis headed through the ring, turning in more steeply the
        // further off it is. Too close to turn in, or past the plane, it
        // first flies out along a line beside the axis, two turns across, so
        // that the turn back puts it on the axis.
        const glm::vec3 inbound = -side * normal;
        glm::vec3 lateral = offset - axial * normal;
        if (glm::length(lateral) < 1e-3f) {
            lateral = ship.up() - glm::dot(ship.up(), normal) * normal;
        }
        const glm::vec3 awayFromAxis = glm::normalize(lateral);
        glm::vec3 along = inbound;
        glm::vec3 offLine = lateral;
        if (out < ENTRY_TURNS * turnRadius && !towards) {
            along = -inbound;
            offLine = lateral - awayFromAxis * (2.0f * turnRadius);
        }
        const float error = glm::length(offLine);
        const float steep = std::atan(error / turnRadius);
        glm::vec3 heading = along * std::cos(steep);
        if (error > 1e-3f) {
            heading -= (offLine / error) * std::sin(steep);
        }
        return ship.position + heading * turnRadius;
    }
};

// What the player sees of the obstacles: those in the camera's view cone
// (the ship's heading, the wider of the view's angles) and within its far
// plane. The perfect pilot knows them all.
class Sight {
public:
    Sight(const std::vector<ObstacleSurface>& surfaces, Mode mode) : surfaces_(surfaces) {
        everything_ = mode == Mode::Perfect;
        const float halfHeight = std::tan(glm::radians(cameraDefaults.fovDegrees) * 0.5f);
        halfAngle_ = std::atan(halfHeight * std::max(1.0f, cameraDefaults.aspectRatio));
        farPlane_ = cameraDefaults.farPlane;
        for (const ObstacleSurface& surface : surfaces_) {
            all_.push_back(&surface);
        }
    }

    const std::vector<const ObstacleSurface*>& seenFrom(const ShipView& ship) {
        if (everything_) {
            return all_;
        }
        seen_.clear();
        for (const ObstacleSurface* surface : all_) {
            if (inView(ship, surface->centre, surface->radius)) {
                seen_.push_back(surface);
            }
        }
        return seen_;
    }

    // Whether any of a sphere is on the screen (always, for the perfect pilot).
    bool inView(const ShipView& ship, const glm::vec3& centre, float radius) const {
        if (everything_) {
            return true;
        }
        const glm::vec3 line = centre - ship.position;
        const float distance = glm::length(line);
        if (distance - radius > farPlane_) {
            return false;
        }
        if (distance <= radius) {
            return true;
        }
        const float off =
            std::acos(glm::clamp(glm::dot(line / distance, ship.forward()), -1.0f, 1.0f));
        return off - std::asin(radius / distance) <= halfAngle_;
    }

private:
    const std::vector<ObstacleSurface>& surfaces_;
    std::vector<const ObstacleSurface*> all_;
    std::vector<const ObstacleSurface*> seen_;
    bool everything_ = true;
    float halfAngle_ = 0.0f;
    float farPlane_ = 0.0f;
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

// Flies the ship in thought along `legs`, steering every look for the
// leg's target (around the obstacles seen now), until the last ring's plane
// is crossed, one is crossed outside its opening, or `seconds` run out.
Trial tryCourse(ShipView ship, std::initializer_list<Leg> legs,
                const std::vector<const ObstacleSurface*>& seen, float rate, float damping,
                double seconds) {
    Trial trial;
    const uint64_t look =
        uint64_t(std::lround(PilotOptions::PLAYER_REACTION_INTERVAL / PHYSICS_STEP));
    const uint64_t steps = uint64_t(seconds / double(PHYSICS_STEP));
    auto leg = legs.begin();
    auto side = [&] { return glm::dot(ship.position - leg->ring->centre, leg->ring->normal); };
    float before = side();
    ShipControl keys;
    for (uint64_t k = 0; k < steps; ++k) {
        if (k % look == 0) {
            keys = steer(ship,
                         aimPoint(ship.position, leg->course.aim(ship.position), ship.up(), seen),
                         rate, true);
        }
        const glm::vec3 from = ship.position;
        stepShip(ship, keys, damping);
        if (k % 3 == 0) {
            for (const ObstacleSurface* surface : seen) {
                trial.clearance =
                    std::min(trial.clearance,
                             glm::length(ship.position - surface->centre) - surface->radius);
            }
        }
        const float after = side();
        if ((after > 0.0f) != (before > 0.0f)) {
            const RingOpening& ring = *leg->ring;
            const float share = before / (before - after);
            const glm::vec3 at = from + share * (ship.position - from) - ring.centre;
            const float across = glm::length(at - glm::dot(at, ring.normal) * ring.normal);
            // Room kept inside the opening for what the thought leaves out.
            const float room = std::max(0.45f * ring.radius, ring.radius - 2.5f);
            trial.worst = std::max(trial.worst, across / room);
            if (across > room) {
                return trial;
            }
            if (++leg == legs.end()) {
                trial.through = true;
                return trial;
            }
            keys = steer(ship,
                         aimPoint(ship.position, leg->course.aim(ship.position), ship.up(), seen),
                         rate, true);
            before = side();
            continue;
        }
        before = after;
    }
    return trial;
}

} // namespace

std::string PilotReport::line() const {
    switch (outcome) {
    case Outcome::Finished: {
        std::string text = "FINISHED " + std::to_string(ringsPassed) + "/" +
                           std::to_string(ringCount) + " rings in " + oneDecimal(seconds) + " s, " +
                           std::to_string(cansCollected) + "/" + std::to_string(canCount) +
                           " cans, closest approach ";
        if (std::isinf(closestApproach)) {
            return text + "none (no obstacles)";
        }
        return text + oneDecimal(closestApproach) + " m (" + closestObject + " at " +
               oneDecimal(closestAt) + " s)";
    }
    case Outcome::Missed:
        return "NOT FINISHED: missed " + object + " at " + oneDecimal(seconds) + " s (" +
               (missedBy > 0.0f
                    ? "passed " + oneDecimal(missedBy) + " m outside its opening" +
                          (misses > 1 ? " on each of " + std::to_string(misses) + " tries"
                                      : std::string())
                    : std::string("passed its opening without touching its "
                                  "collision shape")) +
               ")";
    case Outcome::Hit:
        return "NOT FINISHED: hit " + object + " at " + oneDecimal(seconds) + " s";
    case Outcome::Unpassable:
        return "NOT FINISHED: " + object + " cannot be passed at " + oneDecimal(seconds) +
               " s (it has no collision shape)";
    case Outcome::GaveUp:
        return "NOT FINISHED: the checker gave up at " + object + " after " +
               oneDecimal(secondsOnRing) + " s of trying to reach it (" + std::to_string(misses) +
               (misses == 1 ? " try" : " tries") + " beside its opening, " + oneDecimal(seconds) +
               " s into the flight)";
    case Outcome::NoRing:
        return "NOT FINISHED: the level has no ring to fly through";
    case Outcome::NoShip:
        return "NOT FINISHED: the level has no ship (no \"Camera\" node)";
    }
    return "NOT FINISHED";
}

PilotReport flyTrack(World& world, const PilotOptions& options,
                     const std::function<void(double seconds)>& afterStep) {
    PilotReport report;
    GameObject* ship = nullptr;
    for (GameObject& object : world.objects) {
        if (object.kind == ObjectKind::Ship && !ship) {
            ship = &object;
        }
        report.ringCount += object.kind == ObjectKind::Ring;
    }
    report.canCount = world.remainingTrash + world.collectedTrash;
    if (!ship || !ship->actor) {
        report.outcome = PilotReport::Outcome::NoShip;
        return report;
    }
    if (world.currentRing < 0 || report.ringCount == 0) {
        report.outcome = PilotReport::Outcome::NoRing;
        return report;
    }

    GameState state = GameState::Running;
    GameState* const previousState = world.gameStatePtr;
    world.gameStatePtr = &state;
    auto ownRules = std::make_unique<PilotRules>(&world);
    PilotRules& rules = *ownRules;
    auto previousRules = PhysicsContext::instance().setCallback(std::move(ownRules));
    ShipControl shipControl{ship, 0.0f, 0.0f, 0.0f};

    const bool player = options.mode == Mode::Player;
    const std::vector<ObstacleSurface> surfaces = obstacleSurfaces(world);
    Sight sight(surfaces, options.mode);
    const float damping = ship->actor->angularDamping();
    const float oneKeyRate = steadyTurnRate(damping);
    const float turnRadius = SHIP_SPEED / oneKeyRate;
    // A player's keys act a reaction time after the look that chose them.
    const uint64_t delaySteps =
        player ? uint64_t(std::lround(PilotOptions::PLAYER_REACTION_DELAY / PHYSICS_STEP)) : 0;
    std::deque<std::pair<uint64_t, ShipControl>> pending;
    // Where the ship started, headed, and passed each ring.
    const glm::vec3 start = ship->getPosition();
    const glm::vec3 startHeading = ship->getRotation() * glm::vec3(0, 0, 1);
    std::vector<glm::vec3> passes;
    passes.reserve(size_t(report.ringCount));
    std::set<const GameObject*> near;
    RingAttempt attempt;
    NextRing next;
    const int32_t ringsBefore = report.ringCount;
    auto ringsLeft = [&] { return int32_t(world.objects.size()) - world.currentRing; };
    uint64_t steps = 0;
    uint64_t nextLook = 0;
    // A player thinks a line through the next ring over about as often as it
    // looks, and keeps to it in between.
    const uint64_t planSteps =
        uint64_t(std::lround(PilotOptions::PLAYER_REACTION_INTERVAL / PHYSICS_STEP));
    uint64_t nextPlan = 0;
    std::optional<Course> plan;
    const GameObject* plannedFor = nullptr;
    // Whether the last ring was passed in the middle of a corner begun
    // before it: the turn for this ring is then carried on, not lined up.
    bool cornering = false;
    RingAhead ahead;
    // Where to fly for now when the ring can be passed on a line flown
    // straight on from here: the ring after it, once it is in view and the
    // ship passes through the next ring's opening on its way there, so the
    // corner is begun early; or else a point of the opening on the side of
    // the ring after. Nothing when the ring needs lining up with, or has
    // been tried and missed.
    auto planAhead = [&](const ShipView& from,
                         const std::vector<const ObstacleSurface*>& seen) -> std::optional<Course> {
        if (!attempt.opening || attempt.misses > 0) {
            return std::nullopt;
        }
        const RingOpening& ring = *attempt.opening;
        const std::optional<RingOpening> after = ahead.get(world);
        // A ring once seen stays where it was: the player keeps it in mind.
        ahead.seen = ahead.seen || (after && sight.inView(from, after->centre, after->radius));
        // By the time the keys act the ship is through the opening: on to
        // the ring after.
        const glm::vec3 offset = from.position - ring.centre;
        const float axial = glm::dot(offset, ring.normal);
        if (after && ahead.seen && glm::dot(from.forward(), ring.normal) * axial > 0.0f &&
            std::abs(axial) < PAST_PLANE &&
            glm::length(offset - axial * ring.normal) < ring.radius) {
            return Course{after->centre, {}};
        }
        const glm::vec3 in = ring.centre - from.position;
        if (glm::length(in) < 1e-3f ||
            glm::dot(glm::normalize(in), from.forward()) < std::cos(OUT_OF_CORNER)) {
            return std::nullopt;
        }
        const float distance = glm::length(ring.centre - from.position);
        if (distance > PLAN_RANGE) {
            return std::nullopt;
        }
        // How well a course passes: the share of the openings' room it
        // needs (infinite when it misses or comes too near a rock).
        auto score = [&](std::initializer_list<Leg> legs, float metres) {
            const Trial trial = tryCourse(from, legs, seen, oneKeyRate, damping,
                                          1.5 * double(metres / SHIP_SPEED) + 3.0);
            return trial.through && trial.clearance > PLAN_CLEARANCE
                       ? trial.worst
                       : std::numeric_limits<float>::infinity();
        };
        if (after && ahead.seen &&
            (ahead.begun ||
             glm::dot(glm::normalize(in), glm::normalize(after->centre - ring.centre)) <
                 std::cos(CORNER))) {
            // A corner: flown through the middle when the ring after can be
            // reached from there, else begun before the ring: on the steady
            // turn through both, or straight for the ring after, or through
            // the opening's side nearer it.
            const glm::vec3 next = after->centre;
            const float both = distance + glm::length(next - ring.centre);
            const Course turn{ring.centre, next}, onwards{next, {}};
            const glm::vec3 toAfter = next - ring.centre;
            const glm::vec3 inPlane = toAfter - glm::dot(toAfter, ring.normal) * ring.normal;
            const Course side{glm::length(inPlane) > 1e-3f
                                  ? ring.centre +
                                        glm::normalize(inPlane) * (CORNER_CUT * ring.radius)
                                  : ring.centre,
                              {}};
            // Once begun, a corner is flown as begun while that still passes
            // both: changing one's mind half way round loses the turn.
            if (ahead.begun && score({{*ahead.begun, &ring}, {onwards, &*after}}, both) <= 1.0f) {
                return ahead.begun;
            }
            // Otherwise the course with the most room to spare, through the
            // middle when that is as good as any.
            float best = score({{{ring.centre, {}}, &ring}, {onwards, &*after}}, both);
            std::optional<Course> chosen;
            for (const Course& course : {turn, onwards, side}) {
                const float room = score({{course, &ring}, {onwards, &*after}}, both);
                if (room < best) {
                    best = room;
                    chosen = course;
                }
            }
            if (chosen && best <= 1.0f) {
                ahead.begun = chosen;
                return chosen;
            }
            if (best > 1.0f && std::isfinite(score({{side, &ring}}, distance))) {
                return side;
            }
        }
        // Out of a corner, or where it would line up, it flies straight for
        // the middle when that passes the ring.
        const Course middle{ring.centre, {}};
        if ((cornering || !attempt.straightIn) &&
            std::isfinite(score({{middle, &ring}}, distance))) {
            return middle;
        }
        return std::nullopt;
    };
    while (state == GameState::Running) {
        attempt.follow(next.get(world), ship->getPosition(), steps);
        if (attempt.ring && (!attempt.ring->actor || attempt.ring->actor->shapeCount() == 0)) {
            report.outcome = PilotReport::Outcome::Unpassable;
            report.object = designerName(attempt.ring->name);
            break;
        }
        if (!attempt.ring) {
            break;
        }
        if (steps - attempt.startStep > attempt.stepLimit) {
            report.outcome = PilotReport::Outcome::GaveUp;
            break;
        }
        if (steps == nextLook) {
            const ShipView view{ship->getPosition(), ship->getRotation(),
                                ship->actor->angularVelocity()};
            // A player sees the ship now and chooses keys that act a reaction
            // time later, so it judges where the ship will be by then.
            const ShipView expected =
                player ? predict(view, shipControl, pending, steps, delaySteps, damping) : view;
            const std::vector<const ObstacleSurface*>& seen = sight.seenFrom(expected);
            glm::vec3 goal = attempt.goal(expected, turnRadius);
            if (steps >= nextPlan || plannedFor != attempt.ring) {
                plan = planAhead(expected, seen);
                nextPlan = steps + planSteps;
                plannedFor = attempt.ring;
            }
            if (plan) {
                goal = plan->aim(expected.position);
            }
            const glm::vec3 aim = aimPoint(expected.position, goal, expected.up(), seen);
            ShipControl keys = steer(expected, aim, oneKeyRate, plan.has_value());
            keys.ship = ship;
            pending.emplace_back(steps + delaySteps, keys);
            nextLook = player ? steps + lookSteps(steps) : steps + PERFECT_STEPS_PER_DECISION;
        }
        while (!pending.empty() && pending.front().first <= steps) {
            shipControl = pending.front().second;
            pending.pop_front();
        }
        const glm::vec3 before = ship->getPosition();
        applyShipControl(shipControl, PHYSICS_STEP);
        world.processRemovals();
        PhysicsContext::instance().simulateStep();
        world.syncFromPhysics();
        ++steps;
        if (afterStep) {
            afterStep(double(steps) * double(PHYSICS_STEP));
        }

        const glm::vec3 position = ship->getPosition();
        report.metres += double(glm::length(position - before));
        if (next.get(world) != attempt.ring || state == GameState::Finished) {
            passes.push_back(position);
            cornering = plan.has_value();
        }
        for (const ObstacleSurface& surface : surfaces) {
            const float bound = glm::length(position - surface.centre) - surface.radius;
            if (bound >= report.closestApproach && bound >= PilotReport::NEAR_OBSTACLE) {
                continue;
            }
            const float distance = surface.distanceTo(position);
            if (distance < PilotReport::NEAR_OBSTACLE) {
                near.insert(surface.object);
            }
            if (distance < report.closestApproach) {
                report.closestApproach = distance;
                report.closestObject = designerName(surface.object->name);
                report.closestAt = double(steps) * double(PHYSICS_STEP);
            }
        }
        if (state == GameState::Running && next.get(world) == attempt.ring &&
            attempt.crossed(position)) {
            const float missedBy =
                std::max(0.0f, attempt.crossedAt.value_or(0.0f) - attempt.opening->radius);
            report.missedBy = missedBy;
            // Through the opening without counting: no second try will count.
            if (missedBy <= 0.0f || attempt.misses + 1 >= MAX_MISSES) {
                report.outcome = PilotReport::Outcome::Missed;
                report.misses = attempt.misses + (missedBy > 0.0f);
                report.object = designerName(attempt.ring->name);
                break;
            }
            attempt.retry();
        }
    }

    report.steps = steps;
    report.seconds = double(steps) * double(PHYSICS_STEP);
    report.cansCollected = world.collectedTrash;
    report.obstaclesNear = int32_t(near.size());
    report.sharpestTurn =
        sharpestTurnShare(start, startHeading, passes, SHIP_SPEED, bestTurnRate(damping));
    report.ringsPassed = state == GameState::Finished ? ringsBefore : ringsBefore - ringsLeft();
    if (state == GameState::Finished) {
        report.outcome = PilotReport::Outcome::Finished;
    } else if (state == GameState::GameOver) {
        report.outcome = PilotReport::Outcome::Hit;
        report.object = rules.hit.value_or("an obstacle");
    } else if (report.outcome == PilotReport::Outcome::GaveUp) {
        report.object = attempt.ring ? designerName(attempt.ring->name) : "the next ring";
        report.misses = attempt.misses;
        report.secondsOnRing = double(steps - attempt.startStep) * double(PHYSICS_STEP);
    }

    PhysicsContext::instance().setCallback(std::move(previousRules));
    world.gameStatePtr = previousState;
    return report;
}
