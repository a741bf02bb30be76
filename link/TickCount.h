// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <chrono>
#include <cstdint>

// Milliseconds of a steady clock as a wrapping 32-bit counter.
inline std::uint32_t SystemTickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

// Microseconds of the same clock, for the timing of received bytes.
inline std::int64_t SteadyMicros() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(since).count();
}
