#include "core/LoopScheduler.h"

#include <algorithm>

LoopScheduler::LoopScheduler(uint32_t maxFps, double start)
    : previous_(start), frameLimit_(1.0 / double(maxFps)) {}

double LoopScheduler::beginPass(double now) {
    double dt = now - previous_;
    previous_ = now;
    accumulator_ += dt;
    frameTimer_ += dt;
    return dt;
}

std::optional<int32_t> LoopScheduler::frameDue() {
    if (frameTimer_ < frameLimit_) {
        return std::nullopt;
    }
    int32_t fps = int32_t(1.0 / frameTimer_ + 1.0);
    frameTimer_ = 0.0;
    return fps;
}

void LoopScheduler::restart(double now) {
    previous_ = now;
    accumulator_ = 0.0;
    frameTimer_ = 0.0;
}

double LoopScheduler::untilDue(double now, bool stepping) const {
    // Both are measured from the last pass; time since then counts towards them.
    const double since = std::max(0.0, now - previous_);
    double wait = frameLimit_ - frameTimer_ - since;
    if (stepping) {
        wait = std::min(wait, double(PHYSICS_STEP) - accumulator_ - since);
    }
    return std::max(0.0, wait);
}
