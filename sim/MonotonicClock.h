#pragma once

#include <chrono>

// CLOCK_MONOTONIC as nanoseconds, with an absolute sleep on the same clock, so that pacing
// by deadlines does not drift.
class MonotonicClock {
public:
    using Time = std::chrono::nanoseconds;

    static Time now();
    static void sleepUntil(Time deadline);
};
