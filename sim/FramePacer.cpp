// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/FramePacer.h"

FramePacer::FramePacer(std::size_t bytesPerSlot, std::chrono::milliseconds gap)
    : lineTime_(lineTime(bytesPerSlot)), gap_(gap) {}

FramePacer::Time FramePacer::lineTime(std::size_t bytes) {
    const long long bits = static_cast<long long>(bytes) * kBitsPerByte;
    return Time(bits * 1'000'000'000LL / kBaud);
}

void FramePacer::start(Time now) {
    if (running_) return;
    running_ = true;
    next_ = now;
}

void FramePacer::advance(Time now) {
    next_ += period();
    // The next slot must not start while this one's bytes would still be on the line.
    if (next_ < now + lineTime_) next_ = now + period();
}
