#include "game/CoursePlanner.h"

#include "core/LoopScheduler.h"
#include "game/Input.h"
#include "game/TestPilot.h"
#include "world/World.h"

#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace pilot {

namespace {

// The time the pilot allows itself for a ring: a fixed part for lining up and
// going round, and three times the straight flight to it.
constexpr double RING_TIME_BASE = 40.0;
constexpr double RING_TIME_PER_METRE = 3.0 / double(SHIP_SPEED);
// The cone behind a ring's opening from which the pilot flies straight at
// it (its widening per metre out); from outside it, the pilot first comes
// onto the ring's axis, from at least ENTRY_TURNS turn radii out.
constexpr float FUNNEL_SLOPE = 0.6f;
constexpr float ENTRY_TURNS = 1.5f;
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
// How far ahead along a turn (metres) the pilot looks to steer along it.
constexpr float LEAD = 20.0f;
// How far off the middle of a ring's opening, as a share of its radius, the
// pilot passes on the side of the ring after it.
constexpr float CORNER_CUT = 0.45f;

const GameObject* objectAt(const World& world, int32_t position) {
    if (position < 0 || position >= int32_t(world.objects.size())) {
        return nullptr;
    }
    return &*std::next(world.objects.begin(), position);
}

} // namespace

void RingAttempt::follow(GameObject* current, const glm::vec3& ship, uint64_t step) {
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

bool RingAttempt::crossed(const glm::vec3& ship) {
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

void RingAttempt::retry() {
    ++misses;
    crossedAt.reset();
    side = 0.0f;
}

glm::vec3 RingAttempt::goal(const ShipView& ship, float turnRadius) {
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

glm::vec3 Course::aim(const glm::vec3& ship) const {
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
    return centre +
           glm::angleAxis(std::min(LEAD / radius, 1.0f), glm::normalize(turn)) * (ship - centre);
}

Trial tryCourse(ShipView ship, std::initializer_list<Leg> legs,
                const std::vector<const ObstacleSurface*>& seen, const Handling& handling,
                double seconds) {
    Trial trial;
    const uint64_t look = std::max<uint64_t>(1, handling.lookSteps);
    const uint64_t steps = uint64_t(seconds / double(PHYSICS_STEP));
    auto leg = legs.begin();
    auto side = [&] { return glm::dot(ship.position - leg->ring->centre, leg->ring->normal); };
    float before = side();
    ShipControl keys;
    // The pilot's own hands: keys chosen at a look act its reaction time
    // later. The first look's keys act at once: the thought starts where
    // the ship will be when they do.
    PendingKeys pending;
    for (uint64_t k = 0; k < steps; ++k) {
        if (k % look == 0) {
            const ShipControl chosen = steer(
                ship, aimPoint(ship.position, leg->course.aim(ship.position), ship.up(), seen),
                handling.rate, true);
            pending.emplace_back(k == 0 ? k : k + handling.delaySteps, chosen);
        }
        while (!pending.empty() && pending.front().first <= k) {
            keys = pending.front().second;
            pending.pop_front();
        }
        const glm::vec3 from = ship.position;
        stepShip(ship, keys, handling.damping);
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
            pending.emplace_back(
                k + handling.delaySteps,
                steer(ship,
                      aimPoint(ship.position, leg->course.aim(ship.position), ship.up(), seen),
                      handling.rate, true));
            before = side();
            continue;
        }
        before = after;
    }
    return trial;
}
std::optional<RingOpening> CoursePlanner::ringAfter() {
    if (world_.currentRing != position_ || world_.objects.size() != size_) {
        position_ = world_.currentRing;
        size_ = world_.objects.size();
        const GameObject* ring = objectAt(world_, position_ + 1);
        after_ = ring && ring->kind == ObjectKind::Ring ? ringOpening(*ring) : std::nullopt;
        afterSeen_ = false;
        begun_.reset();
    }
    return after_;
}

// How well a course passes: the share of the openings' room it needs
// (infinite when it misses or comes too near a rock).
float CoursePlanner::score(const ShipView& from, std::initializer_list<Leg> legs,
                           const std::vector<const ObstacleSurface*>& seen, float metres) const {
    const Trial trial =
        tryCourse(from, legs, seen, handling_, 1.5 * double(metres / SHIP_SPEED) + 3.0);
    return trial.through && trial.clearance > PLAN_CLEARANCE
               ? trial.worst
               : std::numeric_limits<float>::infinity();
}

std::optional<Course> CoursePlanner::plan(const RingAttempt& attempt, const ShipView& from,
                                          const std::vector<const ObstacleSurface*>& seen) {
    if (!attempt.opening || attempt.misses > 0) {
        return std::nullopt;
    }
    const RingOpening& ring = *attempt.opening;
    const std::optional<RingOpening> after = ringAfter();
    // A ring once seen stays where it was: the player keeps it in mind.
    afterSeen_ = afterSeen_ || (after && sight_.inView(from, after->centre, after->radius));
    // By the time the keys act the ship is through the opening: on to the
    // ring after.
    const glm::vec3 offset = from.position - ring.centre;
    const float axial = glm::dot(offset, ring.normal);
    if (after && afterSeen_ && glm::dot(from.forward(), ring.normal) * axial > 0.0f &&
        std::abs(axial) < PAST_PLANE && glm::length(offset - axial * ring.normal) < ring.radius) {
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
    if (after && afterSeen_ &&
        (begun_ || glm::dot(glm::normalize(in), glm::normalize(after->centre - ring.centre)) <
                       std::cos(CORNER))) {
        // A corner: flown through the middle when the ring after can be
        // reached from there, else begun before the ring: on the steady turn
        // through both, or straight for the ring after, or through the
        // opening's side nearer it.
        const glm::vec3 next = after->centre;
        const float both = distance + glm::length(next - ring.centre);
        const Course turn{ring.centre, next}, onwards{next, {}};
        const glm::vec3 toAfter = next - ring.centre;
        const glm::vec3 inPlane = toAfter - glm::dot(toAfter, ring.normal) * ring.normal;
        const Course side{glm::length(inPlane) > 1e-3f
                              ? ring.centre + glm::normalize(inPlane) * (CORNER_CUT * ring.radius)
                              : ring.centre,
                          {}};
        // Once begun, a corner is flown as begun while that still passes
        // both: changing one's mind half way round loses the turn.
        if (begun_ && score(from, {{*begun_, &ring}, {onwards, &*after}}, seen, both) <= 1.0f) {
            return begun_;
        }
        // Otherwise the course with the most room to spare, through the
        // middle when that is as good as any.
        float best = score(from, {{{ring.centre, {}}, &ring}, {onwards, &*after}}, seen, both);
        std::optional<Course> chosen;
        for (const Course& course : {turn, onwards, side}) {
            const float room = score(from, {{course, &ring}, {onwards, &*after}}, seen, both);
            if (room < best) {
                best = room;
                chosen = course;
            }
        }
        if (chosen && best <= 1.0f) {
            begun_ = chosen;
            return chosen;
        }
        if (best > 1.0f && std::isfinite(score(from, {{side, &ring}}, seen, distance))) {
            return side;
        }
    }
    // Out of a corner, or where it would line up, it flies straight for the
    // middle when that passes the ring.
    const Course middle{ring.centre, {}};
    if ((cornering_ || !attempt.straightIn) &&
        std::isfinite(score(from, {{middle, &ring}}, seen, distance))) {
        return middle;
    }
    return std::nullopt;
}

} // namespace pilot
