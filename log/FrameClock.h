// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "log/SessionRecord.h"

// Gives the frames of one read from the port their times. All bytes of a read
// arrive at one moment, but a read that completes several frames (the window
// was busy) holds frames that came one after the other: the last one is given
// the read's time, each earlier one a frame's time on the line before it. A
// frame is never given a time before or within a millisecond of the one
// before it, so a log's times always increase.
class FrameClock {
public:
    // A frame's six bytes on a 9600-baud line.
    static constexpr std::int64_t kFrameLineUs = 6'250;
    static constexpr std::int64_t kLeastStepUs = 1'000;

    void Stamp(std::span<SessionFrame> frames, std::int64_t arrivalUs);

private:
    std::optional<std::int64_t> last_;
};
