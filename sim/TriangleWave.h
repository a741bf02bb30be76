// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>

// A value that walks from its start up to `maximum` and back down to 0 in steps of `step`,
// turning at both ends; step 0 holds the value.
class TriangleWave {
public:
    TriangleWave(std::uint16_t start, std::uint16_t step, std::uint16_t maximum);

    std::uint16_t value() const { return value_; }
    void advance();

private:
    std::uint16_t value_;
    std::uint16_t step_;
    std::uint16_t maximum_;
    bool rising_;
};
