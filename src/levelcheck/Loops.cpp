#include "levelcheck/Loops.h"

#include "game/Controls.h"
#include "game/Input.h"
#include "game/TestPilot.h"
#include "game/TestPilotTurn.h"
#include "game/TrackGeometry.h"
#include "physics/RigidBody.h"
#include "world/World.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

// A ring turned further than this from the line into it is flown with a
// line-up.
constexpr float TURNED_AWAY_DEGREES = 25.0f;
// An opening narrower than this (metres across) is hard to hit at all.
constexpr float NARROW_OPENING = 4.0f;

int degreesBetween(const glm::vec3& a, const glm::vec3& b) {
    const float cosine = glm::dot(glm::normalize(a), glm::normalize(b));
    return int(std::lround(glm::degrees(std::acos(glm::clamp(cosine, -1.0f, 1.0f)))));
}

std::string metres(float value) {
    char text[32];
    std::snprintf(text, sizeof text, value < 10.0f ? "%.1f" : "%.0f", double(value));
    return text;
}

struct RingOnTrack {
    std::string name;
    glm::vec3 centre{0.0f};
    std::optional<RingOpening> opening;
};

// Why a player comes round for `ring`, reached from `from` (named
// `fromName`) on a way that left it along `heading`.
std::string whyLoop(const RingOnTrack& ring, const glm::vec3& from, const std::string& fromName,
                    const glm::vec3& heading, float turnRadius, int32_t misses) {
    const glm::vec3 line = ring.centre - from;
    if (ring.opening && 2.0f * ring.opening->radius < NARROW_OPENING && misses > 0) {
        return "its opening is only " + metres(2.0f * ring.opening->radius) + " m wide";
    }
    if (ring.opening && glm::length(line) > 1e-3f) {
        const int facing = std::min(degreesBetween(line, ring.opening->normal),
                                    degreesBetween(line, -ring.opening->normal));
        if (float(facing) > TURNED_AWAY_DEGREES) {
            return ring.name + " faces " + std::to_string(facing) + " degrees off the line from " +
                   fromName;
        }
    }
    if (glm::length(line) > 1e-3f && glm::length(heading) > 1e-3f) {
        const int turn = degreesBetween(heading, line);
        // The room a turn of that angle needs at the ship's steadiest turn.
        const float room = turnRadius * 2.0f * std::sin(glm::radians(float(turn)) * 0.5f) * 1.5f;
        if (turn > 10 && glm::length(line) < room + 40.0f) {
            return "it lies " + std::to_string(turn) + " degrees off the way out of " + fromName +
                   ", only " + metres(glm::length(line)) + " m on: too sharp a turn for that room";
        }
    }
    if (misses > 0) {
        return "the flights crossed its plane beside the opening and came round to try again";
    }
    return "the flights came out of " + fromName + " headed away from it and came round to line up";
}

} // namespace

std::vector<LoopAtRing> findLoops(const World& world, const std::vector<PilotReport>& flights) {
    std::vector<RingOnTrack> rings;
    glm::vec3 start(0.0f), startHeading(0.0f, 0.0f, 1.0f);
    float damping = 2.0f;
    bool shipFound = false;
    for (const GameObject& object : world.objects) {
        if (object.kind == ObjectKind::Ship && !shipFound) {
            shipFound = true;
            start = object.getPosition();
            startHeading = object.getRotation() * glm::vec3(0, 0, 1);
            if (object.actor) {
                damping = object.actor->angularDamping();
            }
        }
        if (object.kind == ObjectKind::Ring) {
            RingOnTrack ring{designerName(object.name), object.getPosition(), ringOpening(object)};
            if (ring.opening) {
                ring.centre = ring.opening->centre;
            }
            rings.push_back(std::move(ring));
        }
    }
    const float turnRadius = SHIP_SPEED / bestTurnRate(damping);
    std::vector<LoopAtRing> loops;
    glm::vec3 from = start, heading = startHeading;
    std::string fromName = "the start";
    for (const RingOnTrack& ring : rings) {
        LoopAtRing loop;
        loop.ring = ring.name;
        std::vector<double> costs;
        std::vector<int32_t> misses;
        for (const PilotReport& flight : flights) {
            for (const PilotReport::Leg& leg : flight.legs) {
                if (leg.ring != ring.name) {
                    continue;
                }
                ++loop.reached;
                const double lost = leg.seconds - leg.straightSeconds;
                if (cameRound(leg)) {
                    ++loop.flights;
                    costs.push_back(lost);
                    misses.push_back(leg.misses);
                }
                break;
            }
        }
        if (loop.flights > 0) {
            std::sort(costs.begin(), costs.end());
            std::sort(misses.begin(), misses.end());
            loop.seconds = std::max(0.0, costs[(costs.size() - 1) / 2]);
            loop.misses = misses[(misses.size() - 1) / 2];
            loop.why = whyLoop(ring, from, fromName, heading, turnRadius, loop.misses);
            loops.push_back(std::move(loop));
        }
        // The way out of a ring is along its axis, on the side away from
        // where the ship came from.
        if (ring.opening) {
            heading = glm::dot(ring.opening->normal, ring.centre - from) >= 0.0f
                          ? ring.opening->normal
                          : -ring.opening->normal;
        } else if (glm::length(ring.centre - from) > 1e-3f) {
            heading = glm::normalize(ring.centre - from);
        }
        from = ring.centre;
        fromName = ring.name;
    }
    return loops;
}
