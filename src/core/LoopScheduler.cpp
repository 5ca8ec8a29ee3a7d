#include "core/LoopScheduler.h"

LoopScheduler::LoopScheduler(uint32_t maxFps, double start)
    : previous_(start), frameLimit_(1.0 / double(maxFps)) {}

double LoopScheduler::beginPass(double now) {
    double dt = now - previous_;
    previous_ = now;
    passDuration_ = dt;
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
