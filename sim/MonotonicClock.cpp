#include "MonotonicClock.h"

#include <time.h>

#include <cerrno>

namespace {

constexpr long long kNanosPerSecond = 1'000'000'000;

}  // namespace

MonotonicClock::Time MonotonicClock::now() {
    timespec current{};
    ::clock_gettime(CLOCK_MONOTONIC, &current);
    return Time(static_cast<long long>(current.tv_sec) * kNanosPerSecond + current.tv_nsec);
}

void MonotonicClock::sleepUntil(Time deadline) {
    const long long nanos = deadline.count();
    timespec target{};
    target.tv_sec = static_cast<time_t>(nanos / kNanosPerSecond);
    target.tv_nsec = static_cast<long>(nanos % kNanosPerSecond);
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &target, nullptr) == EINTR) {
    }
}
