#pragma once

#include <cstdint>
#include <optional>

// The fixed physics step: 1/144 s in single precision. The loop compares and
// subtracts its double widening; the physics world receives the float.
inline constexpr float PHYSICS_STEP = 1.0f / 144.0f;
// What one step adds to a flight's clock: exactly 1/144 s, so that a time
// is a whole number of steps however it was reached.
inline constexpr double STEP_SECONDS = 1.0 / 144.0;

// Decides, from clock readings alone, how many fixed steps a main-loop pass
// runs and whether it draws a frame. Holds no clock of its own so that tests
// can drive it with made-up readings.
class LoopScheduler {
public:
    LoopScheduler(uint32_t maxFps, double start);

    // Reads the clock at the start of a pass; returns the pass duration.
    double beginPass(double now);

    // Whether this pass has gathered more than a second (a stall): its time
    // is dropped instead of simulated.
    bool stalled() const { return accumulator_ > 1.0; }

    // Starts counting afresh from `now`, with nothing gathered: the time
    // before it (building the first picture) is neither flown nor drawn.
    void restart(double now);

    // Seconds from `now` until the next thing is due: the next step while
    // `stepping`, else only the next frame; 0 when one is due already.
    // The loop sleeps this long instead of asking the clock in a spin.
    double untilDue(double now, bool stepping) const;

    // Drains the accumulator in whole steps. `running()` is asked before each
    // step, so a step that ends the game stops the rest of the pass from
    // simulating; outside running the time drains without simulating. A pass
    // that has gathered more than a second (a stall) runs nothing and drops
    // the time. Returns the number of steps simulated.
    template <class Running, class Step> int runSteps(Running&& running, Step&& step) {
        if (stalled()) {
            accumulator_ = 0.0;
            return 0;
        }
        int simulated = 0;
        const double stepLength = double(PHYSICS_STEP);
        while (accumulator_ >= stepLength) {
            if (running()) {
                step();
                ++simulated;
            }
            accumulator_ -= stepLength;
        }
        return simulated;
    }

    // When a frame is due, returns the title's frame-rate figure
    // (1 / frame time + 1, truncated) and starts the next frame interval.
    std::optional<int32_t> frameDue();

    double accumulator() const { return accumulator_; }
    double frameTimer() const { return frameTimer_; }
    double frameLimit() const { return frameLimit_; }

private:
    double previous_;
    double accumulator_ = 0.0;
    double frameTimer_ = 0.0;
    double frameLimit_;
};
