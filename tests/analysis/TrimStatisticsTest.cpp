// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include "analysis/TrimStatistics.h"

namespace {
using Kind = TrimSuggestion::Kind;
constexpr std::int32_t kFewest = 10;

struct RuleCase {
    double gasPercent;
    std::int32_t petrolSamples;
    double petrolPercent;
    Kind kind;
    std::int32_t steps;
};

TEST(TrimSuggestion, StepsFollowTheDifferenceAndTheGasTime) {
    // At 5600 us a step is 0.25 % of the gas.
    for (const RuleCase& rule : {
             RuleCase{5.0, 0, 0.0, Kind::Richer, 20},     // gas alone
             RuleCase{5.0, 10, 3.0, Kind::Richer, 8},     // less the petrol trims
             RuleCase{5.0, 9, 3.0, Kind::Richer, 20},     // too few petrol samples to count
             RuleCase{-4.0, 10, 1.0, Kind::Leaner, -20},  // rich on gas
             RuleCase{1.4, 0, 0.0, Kind::Balanced, 0},    // the ECU's wobble
             RuleCase{20.0, 0, 0.0, Kind::Richer, TrimSuggestion::kMostSteps},
             RuleCase{-20.0, 0, 0.0, Kind::Leaner, -TrimSuggestion::kMostSteps},
         }) {
        const FuelTrims gas{kFewest, rule.gasPercent, 1.0, 5600.0};
        const FuelTrims petrol{rule.petrolSamples, rule.petrolPercent, 1.0, 4200.0};
        const TrimSuggestion suggestion = SuggestFromTrims(gas, petrol, kFewest);
        EXPECT_EQ(suggestion.kind, rule.kind) << rule.gasPercent << " " << rule.petrolPercent;
        EXPECT_EQ(suggestion.steps, rule.steps) << rule.gasPercent << " " << rule.petrolPercent;
    }
    EXPECT_EQ(SuggestFromTrims({kFewest - 1, 9.0, 0, 5600}, {}, kFewest).kind, Kind::TooFewSamples);
}

// Frames every 10 ms, a round of readings every 100 ms.
class TrimStatisticsTest : public testing::Test {
protected:
    static constexpr std::int64_t kFrameUs = 10'000;
    static constexpr int kFramesPerRound = 10;
    // Raw byte of a trim in percent.
    static std::uint8_t Trim(double percent) { return std::uint8_t((percent + 100) * 1.28 + 0.5); }

    void Run(std::int64_t forUs, int cell, double shortPercent, std::uint8_t coolant = 130,
             std::int32_t petrolWobble = 0) {
        for (std::int64_t end = timeUs_ + forUs; timeUs_ < end; timeUs_ += kFrameUs) {
            SessionFrame frame{.timeUs = timeUs_,
                               .cell = cell,
                               .petrolRaw = cell * 256 + 128 + (frames_ % 2) * petrolWobble,
                               .gasTimeUs = cell * 1024 + 512 + 1400,
                               .param = 100};
            if (++frames_ % kFramesPerRound == 0)
                frame.obd = ObdReadings{Trim(shortPercent), Trim(0.0), 3000, coolant, 60};
            statistics_.AddFrame(frame);
        }
    }
    void Fuel(Fuel fuel) {
        statistics_.AddEvent(
            {.kind = SessionEvent::Kind::FuelChanged, .value = fuel == Fuel::Gas ? 1 : 0});
    }

    TrimStatistics statistics_;
    std::int64_t timeUs_ = 0;
    int frames_ = 0;
};

TEST_F(TrimStatisticsTest, SteadyWarmRoundsCountForTheCellOnTheirFuel) {
    Fuel(Fuel::Petrol);
    Run(5'000'000, 4, 0.0);
    Fuel(Fuel::Gas);
    Run(5'000'000, 4, 6.25);
    const CellTrims trims = statistics_.Summary(4);
    // Two and a half seconds of each are the engine settling.
    EXPECT_EQ(trims.petrol.samples, 25);
    EXPECT_EQ(trims.gas.samples, 26);
    EXPECT_NEAR(trims.gas.meanPercent - trims.petrol.meanPercent, 6.25, 0.01);
    EXPECT_NEAR(trims.gas.meanGasUs, 4 * 1024 + 512 + 1400, 0.01);
    EXPECT_EQ(trims.suggestion.kind, Kind::Richer);
    EXPECT_TRUE(trims.suggestion.againstPetrol);
    EXPECT_EQ(trims.suggestion.steps, 27);  // 6.25 % of 6008 us in 14 us steps
    EXPECT_EQ(statistics_.Summary(3).gas.samples, 0);
}

TEST_F(TrimStatisticsTest, ColdMovingOrChangedEnginesDoNotCount) {
    Run(5'000'000, 2, 5.0, /*coolant 60 °C*/ 100);
    EXPECT_EQ(statistics_.Summary(2).gas.samples, 0);
    Run(5'000'000, 3, 5.0, 130, /*petrol jumping by*/ 80);
    EXPECT_EQ(statistics_.Summary(3).gas.samples, 0);
    for (int hop = 0; hop < 10; ++hop) Run(1'000'000, 5 + hop % 2, 5.0);
    EXPECT_EQ(statistics_.Summary(5).gas.samples + statistics_.Summary(6).gas.samples, 0);
    EXPECT_GT(statistics_.Rounds(), 100);
    // Only the replies that came just after the engine left the cold cell
    // warm: the delay gives them to where it was.
    EXPECT_EQ(statistics_.CountedRounds(), statistics_.Summary(2).gas.samples);
}

TEST_F(TrimStatisticsTest, ASentParameterStartsTheGasTrimsOfItsCellsAgainNotThePetrolOnes) {
    Fuel(Fuel::Petrol);
    Run(4'000'000, 7, 0.0);
    Fuel(Fuel::Gas);
    Run(4'000'000, 7, 5.0);
    ASSERT_GT(statistics_.Summary(7).gas.samples, 0);
    statistics_.AddEvent({.kind = SessionEvent::Kind::ParameterSent, .index = 8, .value = 90});
    EXPECT_EQ(statistics_.Summary(7).gas.samples, 0);
    EXPECT_GT(statistics_.Summary(7).petrol.samples, 0);
    Run(2'000'000, 7, 5.0);  // within the settling time after the send
    EXPECT_EQ(statistics_.Summary(7).gas.samples, 0);
}
}  // namespace
