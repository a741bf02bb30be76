// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "log/FrameClock.h"

#include <algorithm>

void FrameClock::Stamp(std::span<SessionFrame> frames, std::int64_t arrivalUs) {
    const auto count = static_cast<std::int64_t>(frames.size());
    for (std::int64_t i = 0; i < count; ++i) {
        std::int64_t time = arrivalUs - (count - 1 - i) * kFrameLineUs;
        if (last_) time = std::max(time, *last_ + kLeastStepUs);
        frames[static_cast<std::size_t>(i)].timeUs = time;
        last_ = time;
    }
}
