#include "core/LoopScheduler.h"

#include <gtest/gtest.h>

namespace {

const double STEP = double(PHYSICS_STEP);

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

TEST(LoopScheduler, TheFlyingClockCountsOnlyPassesThatAreSimulated) {
    LoopScheduler s(60, 0.0);
    s.beginPass(0.25);
    EXPECT_FALSE(s.stalled());
    EXPECT_EQ(s.flyingTime(), 0.25);
    s.runSteps([] { return true; }, [] {});
    // A stall of 1.5 s is dropped: no step, and no time on the clock.
    s.beginPass(1.75);
    EXPECT_TRUE(s.stalled());
    EXPECT_EQ(s.flyingTime(), 0.0);
    EXPECT_EQ(s.runSteps([] { return true; }, [] {}), 0);
    // The next ordinary pass counts again.
    s.beginPass(1.8);
    EXPECT_FALSE(s.stalled());
    EXPECT_NEAR(s.flyingTime(), 0.05, 1e-12);
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
