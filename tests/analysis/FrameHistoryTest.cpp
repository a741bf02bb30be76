// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The chart's frames: a ring of the last ones, thinned to one column a pixel.
#include <gtest/gtest.h>

#include <tuple>

#include "analysis/FrameHistory.h"

namespace {
constexpr std::int64_t kFrameUs = 10'000;

SessionFrame FrameNumber(int i) {
    return {.timeUs = i * kFrameUs,
            .cell = i / 10,
            .petrolRaw = 7,
            .gasTimeUs = 1000 - i,
            .lambdaRaw = i * 100};
}
}  // namespace

// Each column keeps the lowest and highest reading of its frames and the
// cell of its last; columns without frames stay empty.
TEST(FrameHistory, ThinningKeepsEachColumnsExtremes) {
    FrameHistory history(100);
    for (int i = 0; i < 40; ++i) history.AddFrame(FrameNumber(i));
    const auto columns = history.Thin(0, 50 * kFrameUs, 5);
    ASSERT_EQ(columns.size(), 5u);
    EXPECT_EQ(columns[1].lambdaLow, 1000);
    EXPECT_EQ(columns[1].lambdaHigh, 1900);
    EXPECT_EQ(columns[1].gasLow, 981);
    EXPECT_EQ(columns[1].gasHigh, 990);
    EXPECT_EQ(columns[1].petrolLow, 7);
    EXPECT_EQ(columns[3].cell, 3);
    EXPECT_FALSE(columns[3].empty);
    EXPECT_TRUE(columns[4].empty);

    // Columns that span a change of cell show the cell of their last frame.
    std::vector<std::int32_t> cells;
    for (const auto& column : history.Thin(5 * kFrameUs, 45 * kFrameUs, 4)) {
        cells.push_back(column.cell);
    }
    EXPECT_EQ(cells, (std::vector<std::int32_t>{1, 2, 3, 3}));
}

// The columns cover [from, to): the newest frame, at the very end, is in none.
TEST(FrameHistory, AFrameAtTheEndOfTheSpanIsInNoColumn) {
    FrameHistory history(100);
    for (int i = 0; i < 40; ++i) history.AddFrame(FrameNumber(i));
    std::vector<std::int32_t> lambdas;
    for (const auto& column : history.Thin(0, 39 * kFrameUs, 39)) {
        lambdas.push_back(column.empty ? -1 : column.lambdaHigh);
    }
    std::vector<std::int32_t> expected;
    for (int i = 0; i < 39; ++i) expected.push_back(i * 100);
    EXPECT_EQ(lambdas, expected);
}

// The ring holds the newest frames; events older than them go too; a frame
// from before the last starts afresh.
TEST(FrameHistory, HoldsTheNewestFramesAndStartsAfreshWhenTimeGoesBack) {
    FrameHistory history(100);
    history.AddFrame(FrameNumber(0));
    history.AddEvent({.kind = SessionEvent::Kind::ParameterSent, .index = 5, .value = 103});
    ASSERT_EQ(history.Events().size(), 1u);
    EXPECT_EQ(history.Events().front().label, "5=103");
    for (int i = 1; i < 150; ++i) history.AddFrame(FrameNumber(i));
    EXPECT_EQ(history.Size(), 100u);
    EXPECT_TRUE(history.Events().empty());
    EXPECT_FALSE(history.FrameAt(49 * kFrameUs));
    EXPECT_EQ(history.FrameAt(60 * kFrameUs + 5)->lambdaRaw, 6000);
    EXPECT_EQ(history.FrameAt(60 * kFrameUs)->lambdaRaw, 6000);
    EXPECT_EQ(history.FrameAt(60 * kFrameUs - 1)->lambdaRaw, 5900);

    history.AddFrame(FrameNumber(3));
    EXPECT_EQ(history.Size(), 1u);
    // A frame at the same time as the last is no step back.
    history.AddFrame(FrameNumber(3));
    EXPECT_EQ(history.Size(), 2u);
}

// An event stays while a frame of its time is held; a replay starting or
// ending starts afresh.
TEST(FrameHistory, EventsLastAsLongAsTheFramesOfTheirTime) {
    FrameHistory history(3);
    history.AddFrame(FrameNumber(0));
    history.AddEvent({.kind = SessionEvent::Kind::Mark, .number = 4});
    history.AddFrame(FrameNumber(1));
    history.AddFrame(FrameNumber(2));
    ASSERT_EQ(history.Events().size(), 1u);
    EXPECT_EQ(history.Events().front().label, "#4");
    history.AddFrame(FrameNumber(3));
    EXPECT_TRUE(history.Events().empty());

    history.AddEvent({.kind = SessionEvent::Kind::ReplayStarted});
    EXPECT_EQ(history.Size(), 0u);
    EXPECT_FALSE(history.LastTimeUs());
}

// The petrol ECU's readings are steps: each PID's holds until its next one,
// a PID missing from a round keeps its last, and none outlasts the hold.
TEST(FrameHistory, ObdReadingsAreStepsHeldUntilTheNextOrTheHold) {
    FrameHistory history(100);
    for (int i = 0; i < 60; ++i) {
        SessionFrame frame = FrameNumber(i);
        // 0 % and 7.8125 %, 800 rpm, 90 °C, 20 %; then short trim and speed.
        if (i == 5) frame.obd = ObdReadings{128, 138, 3200, 130, 51};
        if (i == 12) frame.obd = ObdReadings{148, {}, 3300, {}, {}};
        if (i == 14) frame.obd = ObdReadings{108, {}, {}, {}, {}};
        history.AddFrame(frame);
    }
    ASSERT_TRUE(history.HasObd());
    // Columns of five frames; a hold of twenty.
    constexpr std::int64_t kHoldUs = 20 * kFrameUs;
    const auto columns = history.ThinObd(0, 60 * kFrameUs, 12, kHoldUs);
    using H = FrameHistory;
    const std::tuple<std::size_t, H::ObdTrace, std::optional<double>> cases[] = {
        {0, H::kShortTrim, std::nullopt}, {1, H::kLoad, 20.0},
        {2, H::kLongTrim, 7.8125},        {2, H::kEngineSpeed, 825.0},
        {5, H::kCoolant, 90.0},           {6, H::kLongTrim, std::nullopt},
        {6, H::kShortTrim, -15.625},      {6, H::kTotalTrim, std::nullopt},
        {7, H::kShortTrim, std::nullopt},
    };
    for (const auto& [column, trace, last] : cases) {
        const auto& span = columns[column][trace];
        EXPECT_EQ(span ? std::optional(span->last) : std::nullopt, last) << column << " " << trace;
    }
    // Within a column, every value the trace took.
    const H::ObdSpan total = *columns[2][H::kTotalTrim];
    EXPECT_EQ((std::array{total.first, total.low, total.high, total.last}),
              (std::array{7.8125, -7.8125, 23.4375, -7.8125}));
    // A chart that begins after a reading starts with it held.
    EXPECT_EQ(history.ThinObd(10 * kFrameUs, 60 * kFrameUs, 10, kHoldUs)[0][H::kShortTrim]->first,
              0.0);
    EXPECT_EQ(history.ObdAt(13 * kFrameUs, kHoldUs), (ObdReadings{148, 138, 3300, 130, 51}));
    EXPECT_EQ(history.ObdAt(40 * kFrameUs, kHoldUs), ObdReadings{});

    history.AddEvent({.kind = SessionEvent::Kind::FuelChanged, .number = 2, .value = 1});
    EXPECT_EQ(history.Events().back().label, "fuel gas");
    history.AddEvent({.kind = SessionEvent::Kind::ReplayStarted});
    EXPECT_FALSE(history.HasObd());
}
