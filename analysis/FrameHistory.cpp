// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "analysis/FrameHistory.h"

#include <algorithm>

namespace {
void Widen(std::int32_t value, bool first, std::int32_t& low, std::int32_t& high) {
    low = first ? value : std::min(low, value);
    high = first ? value : std::max(high, value);
}
}  // namespace

FrameHistory::FrameHistory(std::size_t capacity) : ring_(std::max<std::size_t>(capacity, 1)) {}

void FrameHistory::AddFrame(const SessionFrame& frame) {
    if (size_ > 0 && frame.timeUs < At(size_ - 1).timeUs) Clear();
    if (size_ < ring_.size()) {
        ring_[(first_ + size_) % ring_.size()] = frame;
        ++size_;
    } else {
        ring_[first_] = frame;
        first_ = (first_ + 1) % ring_.size();
    }
    // A replayed frame carries the number of the event that came before it.
    if (frame.mark != 0) AddEventAt(frame.timeUs, "#" + std::to_string(frame.mark));
    while (!events_.empty() && events_.front().timeUs < At(0).timeUs) events_.pop_front();
}

void FrameHistory::AddEvent(const SessionEvent& event) {
    const auto last = LastTimeUs();
    switch (event.kind) {
        case SessionEvent::Kind::ReplayStarted:
        case SessionEvent::Kind::ReplayEnded:
            Clear();
            return;
        case SessionEvent::Kind::ParameterSent:
            if (last) {
                AddEventAt(*last, std::to_string(event.index) + "=" + std::to_string(event.value));
            }
            return;
        case SessionEvent::Kind::Mark:
            if (last) AddEventAt(*last, "#" + std::to_string(event.number));
            return;
        default:
            return;
    }
}

void FrameHistory::AddEventAt(std::int64_t timeUs, std::string label) {
    events_.push_back({timeUs, std::move(label)});
}

void FrameHistory::Clear() {
    first_ = 0;
    size_ = 0;
    events_.clear();
}

std::optional<std::int64_t> FrameHistory::LastTimeUs() const {
    if (size_ == 0) return std::nullopt;
    return At(size_ - 1).timeUs;
}

const SessionFrame& FrameHistory::At(std::size_t index) const {
    return ring_[(first_ + index) % ring_.size()];
}

std::size_t FrameHistory::FirstFrom(std::int64_t timeUs) const {
    std::size_t low = 0;
    std::size_t high = size_;
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (At(middle).timeUs < timeUs) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

std::vector<FrameHistory::Column> FrameHistory::Thin(std::int64_t fromUs, std::int64_t toUs,
                                                     int columns) const {
    std::vector<Column> result(static_cast<std::size_t>(std::max(columns, 0)));
    if (result.empty() || toUs <= fromUs) return result;
    const std::int64_t span = toUs - fromUs;
    for (std::size_t i = FirstFrom(fromUs); i < size_ && At(i).timeUs < toUs; ++i) {
        const SessionFrame& frame = At(i);
        Column& column = result[static_cast<std::size_t>((frame.timeUs - fromUs) * columns / span)];
        Widen(frame.lambdaRaw, column.empty, column.lambdaLow, column.lambdaHigh);
        Widen(frame.petrolRaw, column.empty, column.petrolLow, column.petrolHigh);
        Widen(frame.gasTimeUs, column.empty, column.gasLow, column.gasHigh);
        column.cell = frame.cell;
        column.empty = false;
    }
    return result;
}

std::optional<SessionFrame> FrameHistory::FrameAt(std::int64_t timeUs) const {
    const std::size_t after = FirstFrom(timeUs + 1);
    if (after == 0) return std::nullopt;
    return At(after - 1);
}
