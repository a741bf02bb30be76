#pragma once

#include <chrono>

// CLOCK_MONOTONIC as nanoseconds, so that pacing by deadlines does not drift.
class MonotonicClock {
public:
    using Time = std::chrono::nanoseconds;

    static Time now();
};
