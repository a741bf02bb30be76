// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "analysis/FrameHistory.h"

#include <algorithm>

#include "log/LogFormat.h"

namespace {
void Widen(std::int32_t value, bool first, std::int32_t& low, std::int32_t& high) {
    low = first ? value : std::min(low, value);
    high = first ? value : std::max(high, value);
}

// Calls take(reading, kept, pid) for each PID of a round and of the readings
// kept, the two alike.
template <typename Take>
void EachPid(const ObdReadings& round, ObdReadings& kept, Take take) {
    take(round.shortTrim, kept.shortTrim, 0);
    take(round.longTrim, kept.longTrim, 1);
    take(round.rpm, kept.rpm, 2);
    take(round.coolant, kept.coolant, 3);
    take(round.load, kept.load, 4);
}

void Widen(FrameHistory::ObdColumn& column, const ObdReadings& held) {
    std::array<std::optional<double>, FrameHistory::kObdTraces> values;
    if (held.shortTrim) values[FrameHistory::kShortTrim] = TrimPercent(*held.shortTrim);
    if (held.longTrim) values[FrameHistory::kLongTrim] = TrimPercent(*held.longTrim);
    values[FrameHistory::kTotalTrim] = TotalTrimPercent(held);
    if (held.rpm) values[FrameHistory::kEngineSpeed] = RpmOf(*held.rpm);
    if (held.coolant) values[FrameHistory::kCoolant] = CoolantCelsius(*held.coolant);
    if (held.load) values[FrameHistory::kLoad] = LoadPercent(*held.load);
    for (std::size_t trace = 0; trace < values.size(); ++trace) {
        if (!values[trace]) continue;
        const double value = *values[trace];
        std::optional<FrameHistory::ObdSpan>& span = column[trace];
        if (!span) {
            span = FrameHistory::ObdSpan{value, value, value, value};
            continue;
        }
        span->low = std::min(span->low, value);
        span->high = std::max(span->high, value);
        span->last = value;
    }
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
    hasObd_ = hasObd_ || frame.obd.has_value();
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
        case SessionEvent::Kind::FuelChanged:
            if (last) AddEventAt(*last, EventTextOf(event));
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
    hasObd_ = false;
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

FrameHistory::HeldReadings FrameHistory::HeldBefore(std::size_t end, std::int64_t sinceUs) const {
    HeldReadings held;
    std::size_t found = 0;
    for (std::size_t i = end; i > 0 && found < held.timesUs.size();) {
        const SessionFrame& frame = At(--i);
        if (frame.timeUs < sinceUs) break;
        if (!frame.obd) continue;
        EachPid(*frame.obd, held.readings, [&](const auto& reading, auto& kept, std::size_t pid) {
            if (!reading || kept) return;
            kept = reading;
            held.timesUs[pid] = frame.timeUs;
            ++found;
        });
    }
    return held;
}

std::vector<FrameHistory::ObdColumn> FrameHistory::ThinObd(std::int64_t fromUs, std::int64_t toUs,
                                                           int columns, std::int64_t holdUs) const {
    std::vector<ObdColumn> result(static_cast<std::size_t>(std::max(columns, 0)));
    if (result.empty() || toUs <= fromUs || !hasObd_) return result;
    const std::int64_t span = toUs - fromUs;
    std::size_t i = FirstFrom(fromUs);
    HeldReadings held = HeldBefore(i, fromUs - holdUs);
    for (std::size_t column = 0; column < result.size(); ++column) {
        // Readings older than the hold at the column's start are let go.
        const std::int64_t sinceUs = fromUs + std::int64_t(column) * span / columns - holdUs;
        EachPid(held.readings, held.readings, [&](const auto&, auto& kept, std::size_t pid) {
            if (kept && held.timesUs[pid] < sinceUs) kept.reset();
        });
        Widen(result[column], held.readings);
        for (; i < size_ && At(i).timeUs < toUs &&
               static_cast<std::size_t>((At(i).timeUs - fromUs) * columns / span) <= column;
             ++i) {
            const SessionFrame& frame = At(i);
            if (!frame.obd) continue;
            EachPid(*frame.obd, held.readings,
                    [&](const auto& reading, auto& kept, std::size_t pid) {
                        if (!reading) return;
                        kept = reading;
                        held.timesUs[pid] = frame.timeUs;
                    });
            Widen(result[column], held.readings);
        }
    }
    return result;
}

ObdReadings FrameHistory::ObdAt(std::int64_t timeUs, std::int64_t holdUs) const {
    return HeldBefore(FirstFrom(timeUs + 1), timeUs - holdUs).readings;
}
