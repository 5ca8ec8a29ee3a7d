#pragma once

#include <chrono>

// Adds the time of its scope, in seconds, to a figure; a null figure is not
// timed.
class Stopwatch {
public:
    explicit Stopwatch(double* figure) : figure_(figure) {}
    ~Stopwatch() {
        if (figure_) {
            *figure_ += std::chrono::duration<double>(Clock::now() - start_).count();
        }
    }
    Stopwatch(const Stopwatch&) = delete;
    Stopwatch& operator=(const Stopwatch&) = delete;

private:
    using Clock = std::chrono::steady_clock;
    double* figure_;
    Clock::time_point start_ = Clock::now();
};
