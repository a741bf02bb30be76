// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/TriangleWave.h"

#include <algorithm>

TriangleWave::TriangleWave(std::uint16_t start, std::uint16_t step, std::uint16_t maximum)
    : value_(std::min(start, maximum)), step_(step), maximum_(maximum), rising_(value_ < maximum) {}

void TriangleWave::advance() {
    // Wider arithmetic so that turning near 0 or 65535 cannot wrap.
    const int current = value_;
    if (rising_) {
        const int next = current + step_;
        value_ = static_cast<std::uint16_t>(std::min<int>(next, maximum_));
        if (next >= maximum_) rising_ = false;
    } else {
        const int next = current - step_;
        value_ = static_cast<std::uint16_t>(std::max(next, 0));
        if (next <= 0) rising_ = true;
    }
}
