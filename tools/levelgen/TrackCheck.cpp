#include "TrackCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include <glm/gtc/quaternion.hpp>

namespace {

constexpr int SAMPLES_PER_SEGMENT = 200;
constexpr float STEP = 1.0f / 144.0f;

glm::vec3 hermite(glm::vec3 p0, glm::vec3 m0, glm::vec3 p1, glm::vec3 m1, float t) {
    float t2 = t * t, t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * p0 + (t3 - 2 * t2 + t) * m0 + (-2 * t3 + 3 * t2) * p1 +
           (t3 - t2) * m1;
}

std::string describe(const char* format, float a, float b = 0.0f, float c = 0.0f) {
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

void computeTangents(TrackLine& line) {
    size_t n = line.points.size();
    line.tangents.resize(n);
    for (size_t i = 0; i < n; ++i) {
        glm::vec3 a = line.points[i == 0 ? 0 : i - 1], b = line.points[i + 1 < n ? i + 1 : i];
        line.tangents[i] = glm::normalize(b - a);
    }
}

// The fastest turn along a line at `speed`, from the tangents k samples either side.
float maxTurnRate(const TrackLine& line, size_t k, float speed) {
    float fastest = 0.0f;
    for (size_t i = k; i + k < line.points.size(); ++i) {
        float ds = line.distance[i + k] - line.distance[i - k];
        if (ds <= 0.0f) {
            continue;
        }
        float angle = std::acos(
            std::clamp(glm::dot(line.tangents[i - k], line.tangents[i + k]), -1.0f, 1.0f));
        fastest = std::max(fastest, angle / ds * speed);
    }
    return fastest;
}

float segmentDistance(glm::vec3 p, glm::vec3 a, glm::vec3 b) {
    glm::vec3 ab = b - a;
    float len2 = glm::dot(ab, ab);
    float t = len2 > 0.0f ? std::clamp(glm::dot(p - a, ab) / len2, 0.0f, 1.0f) : 0.0f;
    return glm::length(p - (a + ab * t));
}

} // namespace

glm::quat rotationBetween(glm::vec3 from, glm::vec3 to) {
    from = glm::normalize(from);
    to = glm::normalize(to);
    float c = glm::dot(from, to);
    if (c < -0.99999f) {
        glm::vec3 axis = glm::cross(glm::vec3(1, 0, 0), from);
        if (glm::length(axis) < 1e-4f) {
            axis = glm::cross(glm::vec3(0, 1, 0), from);
        }
        return glm::angleAxis(3.14159265f, glm::normalize(axis));
    }
    glm::vec3 axis = glm::cross(from, to);
    return glm::normalize(glm::quat(1.0f + c, axis.x, axis.y, axis.z));
}

TrackLine planTrackLine(glm::vec3 start, glm::vec3 startDirection,
                        const std::vector<TrackRing>& rings, float runOut) {
    TrackLine line;
    glm::vec3 p0 = start, d0 = glm::normalize(startDirection);
    auto addPoint = [&](glm::vec3 p) {
        if (!line.points.empty()) {
            line.distance.push_back(line.distance.back() + glm::length(p - line.points.back()));
        } else {
            line.distance.push_back(0.0f);
        }
        line.points.push_back(p);
    };
    addPoint(p0);
    for (const auto& ring : rings) {
        glm::vec3 p1 = ring.centre, d1 = glm::normalize(ring.normal);
        float chord = glm::length(p1 - p0);
        for (int i = 1; i <= SAMPLES_PER_SEGMENT; ++i) {
            addPoint(hermite(p0, d0 * chord, p1, d1 * chord,
                             static_cast<float>(i) / SAMPLES_PER_SEGMENT));
        }
        line.ringSamples.push_back(line.points.size() - 1);
        p0 = p1;
        d0 = d1;
    }
    for (int i = 1; i <= 40; ++i) {
        addPoint(p0 + d0 * (runOut * i / 40.0f));
    }
    computeTangents(line);
    return line;
}

PlayerFlight flyPlayerLine(glm::vec3 start, glm::vec3 startDirection,
                           const std::vector<TrackRing>& rings, const FlightLimits& limits) {
    PlayerFlight flight;
    TrackLine& line = flight.line;
    struct State {
        glm::vec3 p;
        glm::quat q;
        glm::vec2 w; // pitch and yaw rates in the ship's frame
        size_t nextRing;
    };
    const float damping = 2.0f;
    const float gain = limits.steeringRate * damping;
    const size_t delay = static_cast<size_t>(std::lround(limits.reactionTime / STEP));
    const size_t period = std::max<size_t>(1, std::lround(limits.reactionPeriod / STEP));
    State now{start, rotationBetween(glm::vec3(0, 0, 1), glm::normalize(startDirection)),
              glm::vec2(0.0f), 0};
    std::vector<State> seen(delay + 1, now); // what the player sees, oldest first
    glm::vec2 input(0.0f);
    float total = 0.0f;
    glm::vec3 previous = start;
    for (const auto& ring : rings) {
        total += glm::length(ring.centre - previous);
        previous = ring.centre;
    }
    const float maxTime = 3.0f * (total + limits.runOut) / limits.speed;
    line.points.push_back(start);
    line.distance.push_back(0.0f);
    auto addPoint = [&](glm::vec3 p) {
        line.distance.push_back(line.distance.back() + glm::length(p - line.points.back()));
        line.points.push_back(p);
    };
    size_t step = 0;
    while (now.nextRing < rings.size() && flight.seconds < maxTime) {
        if (step % period == 0) {
            const State& view = seen.front();
            // Which ring is next is known at once (the game counts it); where the ship
            // points is seen late.
            const glm::vec3 target = rings[now.nextRing].centre;
            glm::vec3 aim = glm::inverse(view.q) * (target - view.p);
            if (glm::length(aim) > 1e-3f) {
                aim = glm::normalize(aim);
                glm::vec2 error(-std::atan2(aim.y, aim.z), std::atan2(aim.x, aim.z));
                glm::vec2 wanted = glm::clamp(error * 3.0f, glm::vec2(-1.0f), glm::vec2(1.0f));
                for (int k = 0; k < 2; ++k) {
                    float e = wanted[k] - view.w[k];
                    input[k] = e > 0.02f    ? limits.pilotInput
                               : e < -0.02f ? -limits.pilotInput
                                            : 0.0f;
                }
            }
        }
        now.w += (input * gain - now.w * damping) * STEP;
        glm::vec3 localAxis(now.w.x, now.w.y, 0.0f);
        float angle = glm::length(localAxis) * STEP;
        if (angle > 0.0f) {
            now.q = glm::normalize(now.q * glm::angleAxis(angle, glm::normalize(localAxis)));
        }
        glm::vec3 next = now.p + (now.q * glm::vec3(0, 0, 1)) * limits.speed * STEP;
        const TrackRing& ring = rings[now.nextRing];
        glm::vec3 n = glm::normalize(ring.normal);
        float before = glm::dot(now.p - ring.centre, n), after = glm::dot(next - ring.centre, n);
        now.p = next;
        ++step;
        flight.seconds += STEP;
        bool passing = before < 0.0f && after >= 0.0f;
        if (passing || step % 2 == 0) {
            addPoint(now.p);
        }
        if (passing) {
            float offset = glm::length(now.p - ring.centre - n * after);
            flight.worstOffset = std::max(flight.worstOffset, offset);
            if (offset > limits.holeRadius - limits.shipRadius) {
                flight.missed = static_cast<int>(now.nextRing);
                flight.missedBy = offset;
                break;
            }
            line.ringSamples.push_back(line.points.size() - 1);
            ++now.nextRing;
        }
        seen.erase(seen.begin());
        seen.push_back(now);
    }
    if (flight.missed < 0 && now.nextRing < rings.size()) {
        flight.missed = static_cast<int>(now.nextRing);
    }
    glm::vec3 d = now.q * glm::vec3(0, 0, 1);
    glm::vec3 end = now.p;
    for (int i = 1; i <= 40; ++i) {
        addPoint(end + d * (limits.runOut * i / 40.0f));
    }
    computeTangents(line);
    return flight;
}

float distanceToLine(const TrackLine& line, glm::vec3 p) {
    float best = std::numeric_limits<float>::max();
    for (size_t i = 0; i + 1 < line.points.size(); ++i) {
        best = std::min(best, segmentDistance(p, line.points[i], line.points[i + 1]));
    }
    return best;
}

TrackReport checkTrack(glm::vec3 start, glm::vec3 startDirection,
                       const std::vector<TrackRing>& rings,
                       const std::vector<ObstacleSphere>& obstacles, const FlightLimits& limits) {
    TrackReport report;
    if (rings.empty()) {
        report.problem = "the track has no rings";
        return report;
    }

    // Spacing and the turn between consecutive rings.
    report.minSpacing = std::numeric_limits<float>::max();
    glm::vec3 previous = start, previousNormal = glm::normalize(startDirection);
    for (size_t i = 0; i < rings.size(); ++i) {
        float spacing = glm::length(rings[i].centre - previous);
        report.minSpacing = std::min(report.minSpacing, spacing);
        report.maxSpacing = std::max(report.maxSpacing, spacing);
        glm::vec3 n = glm::normalize(rings[i].normal);
        float turn = std::acos(std::clamp(glm::dot(n, previousNormal), -1.0f, 1.0f));
        report.maxRingTurn = std::max(report.maxRingTurn, turn);
        if (spacing < limits.minSpacing && report.problem.empty()) {
            report.problem = describe("ring %.0f is only %.1f units after the previous one",
                                      static_cast<float>(i), spacing);
        }
        previous = rings[i].centre;
        previousNormal = n;
    }

    // The turn a track asks for is the planned line's; a player's line, drawn with the
    // wobbles of keys held fully or not at all, says where the ship goes.
    PlayerFlight flight;
    flight.line = planTrackLine(start, startDirection, rings, limits.runOut);
    report.length = flight.line.distance[flight.line.ringSamples.back()];
    report.maxTurnRate = maxTurnRate(flight.line, 1, limits.speed);
    if (limits.playerLine) {
        flight = flyPlayerLine(start, startDirection, rings, limits);
    }
    const TrackLine& line = flight.line;
    if (report.maxTurnRate > limits.designTurnRate && report.problem.empty()) {
        report.problem = describe("the line needs a turn of %.2f rad/s (design limit %.2f)",
                                  report.maxTurnRate, limits.designTurnRate);
    }

    // Corridor: every obstacle keeps its distance from the planned line.
    report.corridorClearance = std::numeric_limits<float>::max();
    for (size_t k = 0; k < obstacles.size(); ++k) {
        float clearance = distanceToLine(line, obstacles[k].centre) - obstacles[k].radius;
        report.corridorClearance = std::min(report.corridorClearance, clearance);
        if (clearance < limits.corridorRadius && report.problem.empty()) {
            report.problem = describe("obstacle %.0f reaches within %.1f units of the line "
                                      "(corridor %.1f)",
                                      static_cast<float>(k), clearance, limits.corridorRadius);
        }
    }

    if (limits.playerLine) {
        // The line is the player's own flight.
        report.pilotWorstOffset = flight.worstOffset;
        // Over half a second, as long as a turn a player feels (a sample every second step).
        report.pilotMaxTurnRate = maxTurnRate(
            line, static_cast<size_t>(std::lround(0.25f / (2.0f * STEP))), limits.speed);
        report.pilotClearance = report.corridorClearance;
        report.flightTime = flight.seconds;
        if (flight.missed >= 0) {
            report.problem = flight.missedBy > 0.0f
                                 ? describe("the pilot misses ring %.0f by %.1f units",
                                            static_cast<float>(flight.missed), flight.missedBy)
                                 : describe("the pilot never reaches ring %.0f",
                                            static_cast<float>(flight.missed));
        }
        report.flyable = report.problem.empty();
        return report;
    }

    // A simulated pilot: keys held at most `pilotInput` firmly, the ship's angular speed
    // following the game's torque and damping (it settles at steeringRate for a full key),
    // aiming at a point on the planned line a second ahead.
    const float damping = 2.0f;
    const float gain = limits.steeringRate * damping; // angular acceleration of a full key
    glm::vec3 p = start;
    glm::quat q = rotationBetween(glm::vec3(0, 0, 1), glm::normalize(startDirection));
    glm::vec2 w(0.0f); // pitch and yaw rates in the ship's frame
    size_t nearest = 0, nextRing = 0;
    report.pilotClearance = std::numeric_limits<float>::max();
    float maxTime = 3.0f * (report.length + limits.runOut) / limits.speed;
    float time = 0.0f;
    while (nextRing < rings.size() && time < maxTime) {
        while (nearest + 1 < line.points.size() &&
               glm::length(line.points[nearest + 1] - p) <= glm::length(line.points[nearest] - p)) {
            ++nearest;
        }
        size_t target = nearest;
        while (target + 1 < line.points.size() &&
               line.distance[target] - line.distance[nearest] < limits.speed * 0.8f) {
            ++target;
        }
        glm::vec3 toTarget = glm::inverse(q) * (line.points[target] - p);
        glm::vec3 aim = glm::normalize(toTarget);
        // Desired rotation rate: about the ship's x (nose up/down) and y (nose left/right).
        glm::vec2 error(-std::asin(std::clamp(aim.y, -1.0f, 1.0f)), std::atan2(aim.x, aim.z));
        glm::vec2 wanted = error * 2.5f;
        glm::vec2 input = (wanted * damping + (wanted - w) * 6.0f) / gain;
        input = glm::clamp(input, glm::vec2(-limits.pilotInput), glm::vec2(limits.pilotInput));
        w += (input * gain - w * damping) * STEP;
        report.pilotMaxTurnRate = std::max(report.pilotMaxTurnRate, glm::length(w));
        glm::vec3 localAxis(w.x, w.y, 0.0f);
        float angle = glm::length(localAxis) * STEP;
        if (angle > 0.0f) {
            q = glm::normalize(q * glm::angleAxis(angle, glm::normalize(localAxis)));
        }
        glm::vec3 next = p + (q * glm::vec3(0, 0, 1)) * limits.speed * STEP;
        const TrackRing& ring = rings[nextRing];
        glm::vec3 n = glm::normalize(ring.normal);
        float before = glm::dot(p - ring.centre, n), after = glm::dot(next - ring.centre, n);
        if (before < 0.0f && after >= 0.0f) {
            float f = before / (before - after);
            glm::vec3 crossing = p + (next - p) * f;
            float offset = glm::length(crossing - ring.centre);
            report.pilotWorstOffset = std::max(report.pilotWorstOffset, offset);
            if (offset > limits.holeRadius - limits.shipRadius) {
                if (report.problem.empty()) {
                    report.problem = describe("the pilot misses ring %.0f by %.1f units",
                                              static_cast<float>(nextRing), offset);
                }
                break;
            }
            ++nextRing;
        }
        p = next;
        time += STEP;
        for (const auto& o : obstacles) {
            report.pilotClearance =
                std::min(report.pilotClearance, glm::length(p - o.centre) - o.radius);
        }
    }
    report.flightTime = time;
    if (nextRing < rings.size() && report.problem.empty()) {
        report.problem =
            describe("the pilot never reaches ring %.0f", static_cast<float>(nextRing));
    }
    if (report.pilotClearance < limits.shipRadius && report.problem.empty()) {
        report.problem =
            describe("the pilot comes within %.1f units of an obstacle", report.pilotClearance);
    }
    report.flyable = report.problem.empty();
    return report;
}
