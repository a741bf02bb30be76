// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "log/SessionRecord.h"

// Where a replay stands in a log's frames. Positions are microseconds from
// the log's first frame; the caller's clock moves them on.
class ReplayCursor {
public:
    // At least one frame.
    explicit ReplayCursor(std::vector<SessionFrame> frames);

    // From the first frame to the last.
    std::int64_t Duration() const;
    std::int64_t Position() const { return position_; }
    bool AtEnd() const { return next_ == frames_.size(); }
    std::size_t FrameCount() const { return frames_.size(); }

    // Moves on to `position`: the frames that fall due on the way, in order.
    // The first frame falls due at position 0.
    std::span<const SessionFrame> AdvanceTo(std::int64_t position);
    // Jumps to `position` (the slider): the frame to show there, the last one
    // at or before it; frames after it are due as the replay goes on.
    const SessionFrame& SeekTo(std::int64_t position);

private:
    std::int64_t OffsetOf(std::size_t frame) const;

    std::vector<SessionFrame> frames_;
    std::size_t next_ = 0;
    std::int64_t position_ = -1;
};
