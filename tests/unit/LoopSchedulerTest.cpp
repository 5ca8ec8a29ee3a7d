#include "core/LoopScheduler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

const double STEP = double(PHYSICS_STEP);

std::string formatSteps(int steps) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", steps * STEP_SECONDS);
    return text;
}

TEST(LoopScheduler, StepIsTheFloatWidened) {
    EXPECT_EQ(STEP, 0.0069444444961845875);
}

TEST(LoopScheduler, TwoAndAHalfStepsRunTwoAndKeepTheRest) {
    LoopScheduler s(60, 10.0);
    s.beginPass(10.0 + 2.5 * STEP);
    int calls = 0;
    EXPECT_EQ(s.runSteps([] { return true; }, [&] { ++calls; }), 2);
    EXPECT_EQ(calls, 2);
    EXPECT_NEAR(s.accumulator(), 0.5 * STEP, 1e-12);
}

TEST(LoopScheduler, AStallOverOneSecondRunsNothingAndDropsTheTime) {
    LoopScheduler s(60, 0.0);
    s.beginPass(1.2);
    int calls = 0;
    EXPECT_EQ(s.runSteps([] { return true; }, [&] { ++calls; }), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(s.accumulator(), 0.0);
    // Exactly one second is not a stall; the float step is a hair longer than
    // 1/144 s, so it holds 143 whole steps.
    LoopScheduler t(60, 0.0);
    t.beginPass(1.0);
    EXPECT_EQ(t.runSteps([] { return true; }, [] {}), 143);
}

TEST(LoopScheduler, AStalledPassSimulatesNothingAndTheNextCountsAgain) {
    LoopScheduler s(60, 0.0);
    s.beginPass(0.25);
    EXPECT_FALSE(s.stalled());
    EXPECT_EQ(s.runSteps([] { return true; }, [] {}), 35);
    // A stall of 1.5 s is dropped: no step, and so nothing on the clock.
    s.beginPass(1.75);
    EXPECT_TRUE(s.stalled());
    EXPECT_EQ(s.runSteps([] { return true; }, [] {}), 0);
    s.beginPass(1.8);
    EXPECT_FALSE(s.stalled());
    EXPECT_EQ(s.runSteps([] { return true; }, [] {}), 7);
}

// A flight that ends on its 3,518th step (the last ring passed) at any frame
// rate: passes of 1, 12 and 60 frames a second (with a little jitter) run
// the same steps, so the same keys give the same time, to the step.
TEST(LoopScheduler, TheSameFlightTakesTheSameStepsAtEveryFrameRate) {
    const int FINISH = 3518;
    for (double fps : {1.0, 5.0, 12.0, 60.0, 144.0}) {
        SCOPED_TRACE(fps);
        LoopScheduler s(uint32_t(fps), 0.0);
        double now = 0.0;
        int steps = 0;
        int passes = 0;
        while (steps < FINISH && passes < 100000) {
            now += (passes % 3 == 0 ? 0.9 : 1.05) / fps;
            s.beginPass(now);
            s.runSteps([&] { return steps < FINISH; }, [&] { ++steps; });
            ++passes;
        }
        EXPECT_EQ(steps, FINISH);
        EXPECT_EQ(formatSteps(steps), "24.430556");
    }
}

TEST(LoopScheduler, TheLoopSleepsUntilTheNextStepOrFrameIsDue) {
    const struct {
        const char* name;
        double passAt, now;
        bool stepping;
        double wait;
    } cases[] = {
        // A pass a third of a step in: the next step is two thirds away.
        {"flying, between steps", STEP / 3, STEP / 3, true, 2 * STEP / 3},
        // Time since the pass counts towards it.
        {"flying, later", STEP / 3, STEP / 2, true, STEP / 2},
        // Without steps only the frame is waited for (1/60 s from the start).
        {"paused", STEP / 3, STEP / 3, false, 1.0 / 60 - STEP / 3},
        {"overdue", STEP / 3, 1.0, true, 0.0},
    };
    for (const auto& c : cases) {
        LoopScheduler s(60, 0.0);
        s.beginPass(c.passAt);
        s.runSteps([] { return true; }, [] {});
        EXPECT_NEAR(s.untilDue(c.now, c.stepping), c.wait, 1e-9) << c.name;
    }
    // Restarted after the first picture: nothing gathered while it was built.
    LoopScheduler s(60, 0.0);
    s.restart(3.0);
    s.beginPass(3.0 + STEP / 2);
    EXPECT_EQ(s.runSteps([] { return true; }, [] {}), 0);
    EXPECT_FALSE(s.frameDue());
}

TEST(LoopScheduler, NothingIsSimulatedOutsideRunningButTimeDrains) {
    LoopScheduler s(60, 0.0);
    s.beginPass(3.5 * STEP);
    int calls = 0;
    EXPECT_EQ(s.runSteps([] { return false; }, [&] { ++calls; }), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_NEAR(s.accumulator(), 0.5 * STEP, 1e-12);
}

TEST(LoopScheduler, AStepThatEndsTheGameStopsTheRestOfThePass) {
    LoopScheduler s(60, 0.0);
    s.beginPass(4.2 * STEP);
    bool running = true;
    int calls = 0;
    s.runSteps([&] { return running; },
               [&] {
                   ++calls;
                   running = false;
               });
    EXPECT_EQ(calls, 1);
    EXPECT_LT(s.accumulator(), STEP);
}

TEST(LoopScheduler, FrameIsDueOnceTheFrameIntervalHasGathered) {
    LoopScheduler s(60, 0.0);
    s.beginPass(0.01);
    EXPECT_FALSE(s.frameDue());
    s.beginPass(1.0 / 60.0);
    auto fps = s.frameDue();
    ASSERT_TRUE(fps);
    EXPECT_EQ(*fps, 61);
    EXPECT_EQ(s.frameTimer(), 0.0);
    // A slow frame of a quarter second shows 5.
    s.beginPass(1.0 / 60.0 + 0.25);
    EXPECT_EQ(s.frameDue(), 5);
}

} // namespace
