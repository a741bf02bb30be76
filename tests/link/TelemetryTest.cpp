// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "link/Telemetry.h"
#include "tests/support/LinkSnapshot.h"

namespace {

TEST(ApplyTelemetryFrameTest, StoresEveryByteOfAnAcceptedFrame) {
    LinkState state;
    state.silenceTicks = 9;
    state.receivedMask = 0x0001;
    LinkSnapshot expected = TakeSnapshot(state);
    expected.lambdaRaw = 0x5A01;
    expected.cellIndex = 0x0A;
    expected.silenceTicks = 0;
    expected.petrolRaw = 0x3A3C;
    expected.deviceParams[5] = 0x80;
    expected.receivedMask = 0x0021;

    const FrameResult result =
        ApplyTelemetryFrame(state, TelemetryFrame{0x05, 0x3A, 0x3C, 0x5A, 0x01, 0x80});

    EXPECT_EQ(result, FrameResult::Stored);
    EXPECT_EQ(TakeSnapshot(state), expected);
}

TEST(ApplyTelemetryFrameTest, IndexAbove15ChangesNoFieldAtAll) {
    for (int index = 16; index <= 255; ++index) {
        SCOPED_TRACE(index);
        LinkState state;
        FillEveryField(state);
        const LinkSnapshot before = TakeSnapshot(state);

        const FrameResult result = ApplyTelemetryFrame(
            state, TelemetryFrame{static_cast<std::uint8_t>(index), 0x0F, 0x80, 0x12, 0x34, 0x77});

        EXPECT_EQ(result, FrameResult::Ignored);
        EXPECT_EQ(TakeSnapshot(state), before);
    }
}

TEST(ApplyTelemetryFrameTest, MaskFillsOutOfOrderWithRepeats) {
    // Fifteen distinct indices, 6 missing, several seen twice.
    const std::vector<int> order = {9, 3, 3, 15, 0, 7, 9, 1, 14, 2, 8, 4, 13, 4, 11, 10, 12, 5, 0};
    LinkState state;
    std::uint16_t expectedMask = 0;
    for (int index : order) {
        SCOPED_TRACE(index);
        expectedMask = static_cast<std::uint16_t>(expectedMask | (1u << index));
        EXPECT_EQ(
            ApplyTelemetryFrame(state, TelemetryFrame{static_cast<std::uint8_t>(index), 0, 0, 0, 0,
                                                      static_cast<std::uint8_t>(index)}),
            FrameResult::Stored);
        EXPECT_EQ(state.receivedMask, expectedMask);
        EXPECT_EQ(state.deviceParams[index], index);
    }
    EXPECT_EQ(state.receivedMask, 0xFFBF);

    EXPECT_EQ(ApplyTelemetryFrame(state, TelemetryFrame{6, 0, 0, 0, 0, 66}), FrameResult::Complete);
    EXPECT_EQ(state.receivedMask, 0xFFFF);
    // Once complete, every further accepted frame reports complete.
    EXPECT_EQ(ApplyTelemetryFrame(state, TelemetryFrame{3, 0, 0, 0, 0, 3}), FrameResult::Complete);
}

struct ConfirmCase {
    const char* name;
    std::vector<std::uint8_t> reports;  // values reported for index 4, in order
    bool confirmed;
};

class ConfirmationTest : public testing::TestWithParam<ConfirmCase> {};

// An index is confirmed by two reports of one value in a row since the mask
// was cleared; a report of another value takes the confirmation back.
TEST_P(ConfirmationTest, TwoAlikeReportsInARowConfirm) {
    const ConfirmCase& c = GetParam();
    LinkState state;
    state.deviceParams[4] = c.reports.front();  // left from before the reset
    for (std::uint8_t value : c.reports) {
        ApplyTelemetryFrame(state, TelemetryFrame{4, 0x01, 0x00, 0x80, 0x00, value});
    }
    EXPECT_EQ(state.confirmedMask, c.confirmed ? 0x0010 : 0);
}

INSTANTIATE_TEST_SUITE_P(Reports, ConfirmationTest,
                         testing::Values(ConfirmCase{"Once", {96}, false},
                                         ConfirmCase{"TwiceAlike", {96, 96}, true},
                                         ConfirmCase{"TwiceDiffering", {9, 96}, false},
                                         ConfirmCase{"DifferingThenTwiceAlike", {9, 96, 96}, true},
                                         ConfirmCase{"AlikeThenDiffering", {96, 96, 9}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ApplyTelemetryFrameTest, NoFrameWritesTheSeventeenthEntry) {
    LinkState state;
    for (int index = 0; index <= 255; ++index) {
        ApplyTelemetryFrame(
            state, TelemetryFrame{static_cast<std::uint8_t>(index), 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    }
    EXPECT_EQ(state.receivedMask, 0xFFFF);
    EXPECT_EQ(state.deviceParams[15], 255);
    EXPECT_EQ(state.deviceParams[16], 0);
}

struct GasCase {
    const char* what;
    std::int32_t cellIndex;
    std::int32_t petrolRaw;
    std::uint8_t here;  // deviceParams[cellIndex]
    std::uint8_t next;  // deviceParams[cellIndex + 1]
    std::int32_t gas;
};

const GasCase kGasCases[] = {
    {"start of cell 0, all zero", 0, 0, 0, 0, 0},
    {"flat 100 in cell 2", 2, 0x234, 100, 100, 3656},
    {"120 falling to 80", 10, 0x0A3C, 120, 80, 12028},
    // -452880 / 256 truncates to -1769; a floor division would give 3078.
    {"steep fall truncates toward zero", 2, 0x2FF, 200, 0, 3079},
    {"cell 15 interpolates to zero", 15, 0xF80, 50, 0, 16222},
    {"cell 15 at 100, half way", 15, 0xF80, 100, 0, 16572},
    {"cell 15 end", 15, 0xFFFF, 100, 0, 16386},
    {"largest result", 15, 0xF00, 255, 0, 18930},
    {"cell 14 all 255, end", 14, 0xEFF, 255, 255, 18926},
    // A fall of 73 keeps the product positive, a fall of 74 makes it negative:
    // -3060 / 256 truncates to -11 (a floor division would give 1024).
    {"fall of 73", 0, 0xFF, 73, 0, 1023},
    {"fall of 74", 0, 0xFF, 74, 0, 1025},
};

class ComputeGasTimeTest : public testing::TestWithParam<GasCase> {};

TEST_P(ComputeGasTimeTest, GivesTheTableValue) {
    const GasCase& c = GetParam();
    SCOPED_TRACE(c.what);
    std::array<std::uint8_t, 17> params{};
    params[c.cellIndex] = c.here;
    params[c.cellIndex + 1] = c.next;
    EXPECT_EQ(ComputeGasTime(c.cellIndex, c.petrolRaw, params), c.gas);
}

INSTANTIATE_TEST_SUITE_P(Telemetry, ComputeGasTimeTest, testing::ValuesIn(kGasCases));

TEST(ComputeGasTimeTest, CellFifteenReadsTheSeventeenthEntry) {
    LinkState state;
    state.deviceParams.fill(100);
    state.deviceParams[16] = 0;
    ASSERT_EQ(ComputeGasTime(15, 0xF80, state.deviceParams), 16572);
    // Proof that entry 16 is what cell 15 interpolates towards.
    std::array<std::uint8_t, 17> upperAt100 = state.deviceParams;
    upperAt100[16] = 100;
    EXPECT_EQ(ComputeGasTime(15, 0xF80, upperAt100), 15360 + 1400 + 512);
}

TEST(ComputeGasTimeTest, StaysWithinZeroAnd18930) {
    std::int32_t lowest = 1 << 30;
    std::int32_t highest = -(1 << 30);
    const std::int32_t steps[] = {0, 1, 127, 128, 254, 255};
    std::array<std::uint8_t, 17> params{};
    for (int k = 0; k < 16; ++k) {
        for (int here = 0; here <= 255; ++here) {
            for (int next = 0; next <= 255; ++next) {
                params.fill(0);
                params[k] = static_cast<std::uint8_t>(here);
                params[k + 1] = k == 15 ? 0 : static_cast<std::uint8_t>(next);
                for (std::int32_t b : steps) {
                    const std::int32_t gas = ComputeGasTime(k, k * 256 + b, params);
                    lowest = std::min(lowest, gas);
                    highest = std::max(highest, gas);
                }
            }
        }
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, 18930);
}

TEST(ComputeGasTimeTest, AllParametersAt255) {
    std::array<std::uint8_t, 17> params{};
    std::fill(params.begin(), params.begin() + 16, 255);
    EXPECT_EQ(ComputeGasTime(15, 0xFFFF, params), 15360 + 3570 - 2536);
    EXPECT_EQ(ComputeGasTime(15, 0xFF00, params), 18930);
    EXPECT_EQ(ComputeGasTime(0, 0, params), 3570);
}

}  // namespace
