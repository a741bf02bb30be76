// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "log/ReplayCursor.h"

#include <algorithm>
#include <utility>

ReplayCursor::ReplayCursor(std::vector<SessionFrame> frames) : frames_(std::move(frames)) {}

std::int64_t ReplayCursor::OffsetOf(std::size_t frame) const {
    return frames_[frame].timeUs - frames_.front().timeUs;
}

std::int64_t ReplayCursor::Duration() const {
    return frames_.empty() ? 0 : OffsetOf(frames_.size() - 1);
}

std::span<const SessionFrame> ReplayCursor::AdvanceTo(std::int64_t position) {
    const std::size_t first = next_;
    while (next_ < frames_.size() && OffsetOf(next_) <= position) ++next_;
    position_ = std::max(position_, position);
    return std::span(frames_).subspan(first, next_ - first);
}

const SessionFrame& ReplayCursor::SeekTo(std::int64_t position) {
    position = std::clamp<std::int64_t>(position, 0, Duration());
    const auto after = std::upper_bound(
        frames_.begin(), frames_.end(), frames_.front().timeUs + position,
        [](std::int64_t time, const SessionFrame& frame) { return time < frame.timeUs; });
    next_ = static_cast<std::size_t>(after - frames_.begin());
    position_ = position;
    return frames_[next_ - 1];
}
