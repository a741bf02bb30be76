// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "log/SessionRecord.h"

// The last frames shown, live or replayed, in a ring of fixed size, and the
// events among them, for a chart. A chart is drawn from Thin: one column per
// pixel however many frames fall on it, so drawing costs the same whether
// the chart spans ten seconds or two minutes. The petrol ECU's readings come
// from the frames that carry them, in ThinObd.
class FrameHistory {
public:
    // The smallest and largest reading of each trace within one column, and
    // the cell of its last frame.
    struct Column {
        bool empty = true;
        std::int32_t lambdaLow = 0, lambdaHigh = 0;
        std::int32_t petrolLow = 0, petrolHigh = 0;
        std::int32_t gasLow = 0, gasHigh = 0;
        std::int32_t cell = 0;
    };
    struct Event {
        std::int64_t timeUs = 0;
        std::string label;
    };
    // The OBD traces: the trims and their total in percent, engine speed in
    // rpm, coolant in degrees Celsius, load in percent.
    enum ObdTrace : std::size_t {
        kShortTrim,
        kLongTrim,
        kTotalTrim,
        kEngineSpeed,
        kCoolant,
        kLoad
    };
    static constexpr std::size_t kObdTraces = 6;
    // One OBD trace within a column: the value it came in with, its lowest
    // and highest, and the one it left with.
    struct ObdSpan {
        double first = 0, low = 0, high = 0, last = 0;
    };
    // Each trace's span; empty where it has no reading held.
    using ObdColumn = std::array<std::optional<ObdSpan>, kObdTraces>;

    explicit FrameHistory(std::size_t capacity);

    // A frame earlier than the last one (a replay moved back) starts afresh.
    void AddFrame(const SessionFrame& frame);
    // Parameter sends and marks become labelled events at the last frame's
    // time; a replay starting or ending starts afresh, its frames keep
    // another clock.
    void AddEvent(const SessionEvent& event);
    void Clear();

    std::size_t Size() const { return size_; }
    std::optional<std::int64_t> LastTimeUs() const;
    // `columns` equal slices of [fromUs, toUs).
    std::vector<Column> Thin(std::int64_t fromUs, std::int64_t toUs, int columns) const;
    // The last frame at or before timeUs, if it is still held.
    std::optional<SessionFrame> FrameAt(std::int64_t timeUs) const;
    const std::deque<Event>& Events() const { return events_; }

    // A frame with OBD readings has come since the history last started
    // afresh.
    bool HasObd() const { return hasObd_; }
    // The OBD traces over `columns` equal slices of [fromUs, toUs), as steps:
    // a PID's reading holds until its next one, but no longer than holdUs, so
    // that an ECU or adapter gone quiet shows as a gap, not a flat line.
    std::vector<ObdColumn> ThinObd(std::int64_t fromUs, std::int64_t toUs, int columns,
                                   std::int64_t holdUs) const;
    // The readings held at timeUs, as ThinObd holds them.
    ObdReadings ObdAt(std::int64_t timeUs, std::int64_t holdUs) const;

private:
    // Each PID's reading and the time it came.
    struct HeldReadings {
        ObdReadings readings;
        std::array<std::int64_t, 5> timesUs{};
    };

    const SessionFrame& At(std::size_t index) const;
    // The first held frame at or after timeUs.
    std::size_t FirstFrom(std::int64_t timeUs) const;
    void AddEventAt(std::int64_t timeUs, std::string label);
    // Each PID's latest reading among the frames before `end` that came at
    // sinceUs or later.
    HeldReadings HeldBefore(std::size_t end, std::int64_t sinceUs) const;

    std::vector<SessionFrame> ring_;
    std::size_t first_ = 0;
    std::size_t size_ = 0;
    std::deque<Event> events_;
    bool hasObd_ = false;
};
