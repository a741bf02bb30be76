// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Per-cell lambda statistics: which readings a suggestion stands on, and
// which way it points.
#include <gtest/gtest.h>

#include "analysis/CellStatistics.h"

namespace {

constexpr std::int64_t kFrameUs = 10'000;
constexpr std::int32_t kLean = 5'000;
constexpr std::int32_t kMiddle = 32'000;
constexpr std::int32_t kRich = 60'000;
// Small numbers, so the cases stay short: settled after 10 frames, 20
// counted frames are enough.
constexpr SuggestionRules kRules{
    .settleUs = 10 * kFrameUs, .fewestSamples = 20, .switchWindowUs = 50 * kFrameUs};

// Feeds frames 10 ms apart; lambda swings lean, middle, rich, middle unless
// a pattern is given.
class Engine {
public:
    CellStatistics stats{kRules};

    void Run(int cell, int frames,
             std::vector<std::int32_t> pattern = {kLean, kMiddle, kRich, kMiddle}) {
        for (int i = 0; i < frames; ++i, ++count_) {
            SessionFrame frame{.timeUs = count_ * kFrameUs, .cell = cell, .param = param_};
            frame.lambdaRaw = pattern[std::size_t(count_) % pattern.size()];
            stats.AddFrame(frame);
        }
    }
    void Send(int index) {
        stats.AddEvent({.kind = SessionEvent::Kind::ParameterSent, .index = index, .value = 1});
    }
    void SetParam(std::int32_t param) { param_ = param; }

private:
    std::int64_t count_ = 0;
    std::int32_t param_ = 100;
};

using Kind = Suggestion::Kind;

}  // namespace

// The sign and size follow the share of lean against rich readings.
TEST(Suggestion, DirectionAndStepsFollowTheLeanAndRichShares) {
    struct Case {
        MixtureCounts counts;
        Suggestion expected;
    };
    const Case cases[] = {
        {{.lean = 100, .middle = 0, .rich = 0}, {Kind::Richer, 5}},
        {{.lean = 0, .middle = 0, .rich = 100}, {Kind::Leaner, -5}},
        {{.lean = 30, .middle = 65, .rich = 5}, {Kind::Richer, 3}},
        {{.lean = 5, .middle = 75, .rich = 20}, {Kind::Leaner, -2}},
        {{.lean = 12, .middle = 77, .rich = 11}, {Kind::Balanced, 0}},
        // A tenth more of one side is no longer even.
        {{.lean = 10, .middle = 90, .rich = 0}, {Kind::Richer, 1}},
        {{.lean = 0, .middle = 90, .rich = 10}, {Kind::Leaner, -1}},
        {{.lean = 0, .middle = 100, .rich = 0}, {Kind::Balanced, 0}},
        {{.lean = 19, .middle = 0, .rich = 0}, {Kind::TooFewSamples, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SuggestFrom(c.counts, true, kRules), c.expected)
            << c.counts.lean << ' ' << c.counts.middle << ' ' << c.counts.rich;
    }
    EXPECT_EQ(SuggestFrom({.lean = 100}, false, kRules).kind, Kind::SensorNotSwitching);
}

// Readings count once the cell has been held for the settling time, and
// only enough of them make a suggestion.
TEST(CellStatistics, CountsOnlySettledReadingsAndGatesOnTheirNumber) {
    Engine engine;
    engine.Run(3, 10);
    EXPECT_EQ(engine.stats.Summary(3).countedSamples, 0);
    EXPECT_EQ(engine.stats.Summary(3).samples, 10);
    engine.Run(3, 9);
    EXPECT_TRUE(engine.stats.Summary(3).tooFewSamples);
    engine.Run(3, 1);
    EXPECT_FALSE(engine.stats.Summary(3).tooFewSamples);
    engine.Run(3, 9);
    EXPECT_EQ(engine.stats.Summary(3).suggestion.kind, Kind::TooFewSamples);
    engine.Run(3, 1);
    EXPECT_EQ(engine.stats.Summary(3).countedSamples, 20);
    EXPECT_EQ(engine.stats.Summary(3).suggestion.kind, Kind::Balanced);
    EXPECT_FALSE(engine.stats.Summary(3).tooFewSamples);

    // Back from another cell: the settling time starts again, the counts stay.
    engine.Run(4, 30);
    engine.Run(3, 10);
    EXPECT_EQ(engine.stats.Summary(3).countedSamples, 20);
    EXPECT_EQ(engine.stats.Summary(3).samples, 40);
    EXPECT_DOUBLE_EQ(engine.stats.Summary(4).shareOfTime, 30.0 / 70.0);
}

// A parameter sent restarts the counts of the two cells whose gas time it
// changes, and its readings count only after the settling time.
TEST(CellStatistics, ASendRestartsTheCellsItChanges) {
    Engine engine;
    for (const int cell : {2, 3, 4}) engine.Run(cell, 40);
    engine.Send(3);
    for (const int cell : {2, 3, 4}) {
        EXPECT_EQ(engine.stats.Summary(cell).countedSamples, cell == 4 ? 30 : 0) << cell;
    }
    engine.Run(3, 10);
    EXPECT_EQ(engine.stats.Summary(3).countedSamples, 0);
    engine.Run(3, 5);
    EXPECT_EQ(engine.stats.Summary(3).countedSamples, 5);

    // In a replay the send shows only as the cell's parameter changing.
    engine.SetParam(101);
    engine.Run(3, 10);
    EXPECT_EQ(engine.stats.Summary(3).countedSamples, 0);

    // Sent while the engine stays in the cell: the settling time runs from
    // the last frame seen before the send, not from whenever the cell was
    // entered.
    engine.Run(3, 40);
    engine.Send(3);
    engine.Run(3, 9);
    EXPECT_EQ(engine.stats.Summary(3).countedSamples, 0);
    engine.Run(3, 5);
    EXPECT_EQ(engine.stats.Summary(3).countedSamples, 5);
}

// A lean cell gets "richer", a rich one "leaner"; the bands' shares and the
// mean voltage describe what was read.
TEST(CellStatistics, ALeanCellIsToldRicherAndARichOneLeaner) {
    Engine engine;
    engine.Run(5, 60, {kLean, kLean, kLean, kRich});
    CellSummary lean = engine.stats.Summary(5);
    EXPECT_EQ(lean.suggestion, (Suggestion{Kind::Richer, 5}));
    EXPECT_DOUBLE_EQ(lean.leanShare, 0.75);
    EXPECT_DOUBLE_EQ(lean.richShare, 0.25);
    EXPECT_NEAR(lean.meanVolts, (3 * kLean + kRich) / 4.0 * 5 / 65535, 1e-9);

    engine.Run(6, 60, {kRich, kRich, kMiddle, kLean});
    EXPECT_EQ(engine.stats.Summary(6).suggestion, (Suggestion{Kind::Leaner, -2}));
}

// A sensor that stays on one side, or in the middle, or wobbles between one
// side and the middle without crossing, is not believed.
TEST(CellStatistics, AStuckSensorGivesNoSuggestion) {
    const std::vector<std::int32_t> patterns[] = {
        {kLean}, {kMiddle}, {kRich}, {kLean, kMiddle}, {kRich, kMiddle, kMiddle}};
    for (const auto& pattern : patterns) {
        Engine engine;
        engine.Run(7, 100, pattern);
        EXPECT_EQ(engine.stats.Summary(7).suggestion.kind, Kind::SensorNotSwitching)
            << pattern.front() << " and " << pattern.back();
    }
    // One that stops swinging is believed for the window after its last
    // swing (rich to lean at frame 40), and no longer.
    Engine engine;
    engine.Run(7, 40, {kLean, kRich});
    EXPECT_EQ(engine.stats.Summary(7).suggestion.kind, Kind::Balanced);
    engine.Run(7, 51, {kLean});
    EXPECT_NE(engine.stats.Summary(7).suggestion.kind, Kind::SensorNotSwitching);
    engine.Run(7, 1, {kLean});
    EXPECT_EQ(engine.stats.Summary(7).suggestion.kind, Kind::SensorNotSwitching);
}

// A replay moved back: what was gathered belongs to another time, the
// sensor's swings included.
TEST(CellStatistics, TimeGoingBackStartsAfresh) {
    Engine engine;
    engine.Run(2, 100, {kLean, kRich});
    engine.stats.AddFrame({.timeUs = 0, .cell = 4, .lambdaRaw = kLean, .param = 100});
    EXPECT_EQ(engine.stats.TotalSamples(), 1);
    EXPECT_EQ(engine.stats.Summary(2).samples, 0);
    EXPECT_EQ(engine.stats.Summary(4).samples, 1);
    EXPECT_FALSE(engine.stats.SensorSwitching());
}
