// The level generator refuses a track that the ship cannot fly or that an obstacle blocks.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "TrackCheck.h"

namespace {

const glm::vec3 START(0.0f);
const glm::vec3 AHEAD(0.0f, 0.0f, -1.0f);

std::vector<TrackRing> straightTrack(int count, float spacing) {
    std::vector<TrackRing> rings;
    for (int i = 1; i <= count; ++i) {
        rings.push_back({AHEAD * (spacing * i), AHEAD});
    }
    return rings;
}

// Rings on a circle of the given radius, turning left from the start.
std::vector<TrackRing> arcTrack(float radius, float stepAngle, int count) {
    std::vector<TrackRing> rings;
    for (int i = 1; i <= count; ++i) {
        float a = stepAngle * i;
        glm::vec3 p(-radius * (1.0f - std::cos(a)), 0.0f, -radius * std::sin(a));
        glm::vec3 d(-std::sin(a), 0.0f, -std::cos(a));
        rings.push_back({p, d});
    }
    return rings;
}

TEST(TrackCheck, AStraightClearTrackIsFlyable) {
    FlightLimits limits;
    TrackReport report = checkTrack(START, AHEAD, straightTrack(10, 100.0f), {}, limits);
    EXPECT_TRUE(report.flyable) << report.problem;
    EXPECT_NEAR(report.length, 1000.0f, 1.0f);
    EXPECT_NEAR(report.minSpacing, 100.0f, 1e-3f);
    EXPECT_LT(report.maxTurnRate, 0.01f);
    EXPECT_LT(report.pilotWorstOffset, 0.1f);
    EXPECT_NEAR(report.flightTime, 1000.0f / limits.speed, 0.1f);
}

TEST(TrackCheck, AGentleArcIsFlyableAndATightOneIsNot) {
    FlightLimits limits;
    // Radius 200 at 35 u/s needs 0.175 rad/s.
    TrackReport gentle = checkTrack(START, AHEAD, arcTrack(200.0f, 0.5f, 10), {}, limits);
    EXPECT_TRUE(gentle.flyable) << gentle.problem;
    EXPECT_NEAR(gentle.maxTurnRate, 35.0f / 200.0f, 0.03f);
    // Radius 45 needs 0.78 rad/s: within what a held key gives, but beyond the design limit.
    TrackReport tight = checkTrack(START, AHEAD, arcTrack(45.0f, 1.6f, 4), {}, limits);
    EXPECT_FALSE(tight.flyable);
    EXPECT_GT(tight.maxTurnRate, limits.designTurnRate);
    EXPECT_NE(tight.problem.find("turn"), std::string::npos) << tight.problem;
}

// The turn of the straight lines from ring to ring, as a player meets it: the angle at a
// ring over the time from the middle of the line in to the middle of the line out.
TEST(TrackCheck, TheSharpestTurnFromRingToRingIsTheAngleOverTheTimeAcrossIt) {
    FlightLimits limits;
    limits.designTurnRate = 10.0f; // only the figure matters here
    limits.minSpacing = 1.0f;
    const struct {
        std::vector<TrackRing> rings;
        float rate;
    } cases[] = {
        {straightTrack(4, 100.0f), 0.0f},
        // A right angle at ring 0, 100 units in and 100 out: 90 degrees in 100/35 s.
        {{{{0, 0, -100}, AHEAD}, {{-100, 0, -100}, {-1, 0, 0}}}, 1.5707963f / (100.0f / 35.0f)},
        // The same angle with a short line in: sharper.
        {{{{0, 0, -40}, AHEAD}, {{-100, 0, -40}, {-1, 0, 0}}}, 1.5707963f / (70.0f / 35.0f)},
        // The last ring has no line out, so a turn there is none.
        {{{{-60, 0, -100}, AHEAD}}, 0.0f},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(checkTrack(START, AHEAD, c.rings, {}, limits).ringLineTurnRate, c.rate, 1e-4f);
    }
}

TEST(TrackCheck, APilotThatCannotTurnFastEnoughMissesTheRing) {
    FlightLimits limits;
    limits.designTurnRate = 10.0f; // let the line through, so that the pilot is what fails
    limits.minSpacing = 1.0f;
    // A right angle within 60 units needs about 0.9 rad/s; keys held at 20 % give 0.2.
    limits.pilotInput = 0.2f;
    std::vector<TrackRing> rings = {{{0, 0, -60}, AHEAD}, {{-60, 0, -120}, {-1, 0, 0}}};
    TrackReport report = checkTrack(START, AHEAD, rings, {}, limits);
    EXPECT_FALSE(report.flyable);
    EXPECT_NE(report.problem.find("pilot"), std::string::npos) << report.problem;
}

TEST(TrackCheck, AnObstacleInTheCorridorIsRefused) {
    FlightLimits limits;
    auto rings = straightTrack(5, 100.0f);
    // Beside the line but clear of the corridor: accepted, and its clearance is reported.
    std::vector<ObstacleSphere> beside = {{{30.0f, 0.0f, -250.0f}, 10.0f}};
    TrackReport ok = checkTrack(START, AHEAD, rings, beside, limits);
    EXPECT_TRUE(ok.flyable) << ok.problem;
    EXPECT_NEAR(ok.corridorClearance, 20.0f, 0.01f);
    EXPECT_NEAR(ok.pilotClearance, 20.0f, 0.5f);
    // Reaching into the corridor, though not onto the line itself: refused.
    std::vector<ObstacleSphere> close = {{{18.0f, 0.0f, -250.0f}, 10.0f}};
    TrackReport refused = checkTrack(START, AHEAD, rings, close, limits);
    EXPECT_FALSE(refused.flyable);
    EXPECT_NE(refused.problem.find("obstacle"), std::string::npos) << refused.problem;
    // After the last ring, within the run-out: refused as well.
    std::vector<ObstacleSphere> afterFinish = {{{0.0f, 0.0f, -540.0f}, 5.0f}};
    EXPECT_FALSE(checkTrack(START, AHEAD, rings, afterFinish, limits).flyable);
}

TEST(TrackCheck, ATrackLeftToTheGamesCheckerIsJudgedOnSpacingAndCorridorOnly) {
    FlightLimits limits;
    limits.flownOnLine = false;
    // Too tight for the smooth line and its pilot, but that is the game's checker's call.
    TrackReport tight = checkTrack(START, AHEAD, arcTrack(45.0f, 1.6f, 3), {}, limits);
    EXPECT_TRUE(tight.flyable) << tight.problem;
    // A rock in the corridor or rings too close are still refused.
    const std::vector<ObstacleSphere> rock = {{arcTrack(45.0f, 1.6f, 3)[1].centre, 2.0f}};
    EXPECT_FALSE(checkTrack(START, AHEAD, arcTrack(45.0f, 1.6f, 3), rock, limits).flyable);
    EXPECT_FALSE(checkTrack(START, AHEAD, straightTrack(3, 20.0f), {}, limits).flyable);
}

TEST(TrackCheck, RingsTooCloseTogetherOrNoRingsAreRefused) {
    FlightLimits limits;
    TrackReport close = checkTrack(START, AHEAD, straightTrack(5, 30.0f), {}, limits);
    EXPECT_FALSE(close.flyable);
    EXPECT_NE(close.problem.find("only"), std::string::npos) << close.problem;
    EXPECT_FALSE(checkTrack(START, AHEAD, {}, {}, limits).flyable);
}

TEST(TrackCheck, DistanceToTheLineFollowsItsSamples) {
    TrackLine line = planTrackLine(START, AHEAD, straightTrack(2, 100.0f), 50.0f);
    EXPECT_NEAR(distanceToLine(line, {5.0f, 0.0f, -40.0f}), 5.0f, 1e-3f);
    EXPECT_NEAR(distanceToLine(line, {0.0f, 0.0f, 10.0f}), 10.0f, 1e-3f);   // behind the start
    EXPECT_NEAR(distanceToLine(line, {0.0f, 0.0f, -260.0f}), 10.0f, 1e-3f); // past the run-out
}

} // namespace
