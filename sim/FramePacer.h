// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <chrono>

// Deadlines of the frame slots on a 9600-baud line: a slot lasts the frame's time on the
// line plus the gap. Deadlines are absolute, so a late wake-up is made up at the next slot;
// after a stall longer than that the schedule restarts rather than sending in a burst.
class FramePacer {
public:
    using Time = std::chrono::nanoseconds;

    static constexpr int kBaud = 9600;
    static constexpr int kBitsPerByte = 10;  // start, 8 data, stop

    FramePacer(std::size_t bytesPerSlot, std::chrono::milliseconds gap);

    static Time lineTime(std::size_t bytes);

    Time period() const { return lineTime_ + gap_; }
    bool running() const { return running_; }
    Time deadline() const { return next_; }
    bool due(Time now) const { return running_ && now >= next_; }

    // First slot due at once; a running schedule is kept as it is.
    void start(Time now);
    void stop() { running_ = false; }
    // Called after sending the slot that was due; `now` is when it was sent.
    void advance(Time now);

private:
    Time lineTime_;
    Time gap_;
    Time next_{0};
    bool running_ = false;
};
