// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The chart's frames: a ring of the last ones, thinned to one column a pixel.
#include <gtest/gtest.h>

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
