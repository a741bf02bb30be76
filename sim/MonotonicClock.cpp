// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/MonotonicClock.h"

#include <time.h>

namespace {

constexpr long long kNanosPerSecond = 1'000'000'000;

}  // namespace

MonotonicClock::Time MonotonicClock::now() {
    timespec current{};
    ::clock_gettime(CLOCK_MONOTONIC, &current);
    return Time(static_cast<long long>(current.tv_sec) * kNanosPerSecond + current.tv_nsec);
}
