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

// The fastest turn along a line at `speed`, from the tangents either side of each sample.
float maxTurnRate(const TrackLine& line, float speed) {
    const size_t k = 1;
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

    glm::vec3 before = start;
    for (size_t i = 0; i + 1 < rings.size(); ++i) {
        glm::vec3 in = rings[i].centre - before, out = rings[i + 1].centre - rings[i].centre;
        float angle =
            std::acos(std::clamp(glm::dot(glm::normalize(in), glm::normalize(out)), -1.0f, 1.0f));
        float seconds = 0.5f * (glm::length(in) + glm::length(out)) / limits.speed;
        report.ringLineTurnRate = std::max(report.ringLineTurnRate, angle / seconds);
        before = rings[i].centre;
    }

    // The turn rate that the planned line needs at full speed.
    const TrackLine line = planTrackLine(start, startDirection, rings, limits.runOut);
    report.length = line.distance[line.ringSamples.back()];
    report.maxTurnRate = maxTurnRate(line, limits.speed);
    if (report.maxTurnRate > limits.designTurnRate && limits.flownOnLine &&
        report.problem.empty()) {
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
    if (!limits.flownOnLine) {
        nextRing = rings.size();
    }
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
