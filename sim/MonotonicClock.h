// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <chrono>

// CLOCK_MONOTONIC as nanoseconds, so that pacing by deadlines does not drift.
class MonotonicClock {
public:
    using Time = std::chrono::nanoseconds;

    static Time now();
};
