// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "link/LiveValues.h"
#include "tests/link/ReceivedBytes.h"
#include "tests/support/RecordingWindow.h"

namespace {

using Band = LambdaBand;
constexpr Band kBandMiddle = Band::Middle;
constexpr Band kBandLow = Band::Low;
constexpr Band kBandHigh = Band::High;

struct WorkedFrame {
    std::vector<std::pair<int, std::uint8_t>> paramsOtherThan100;
    std::vector<std::uint8_t> frame;
    const char* petrolText;
    int petrolBar;
    std::int32_t cellIndex;
    std::int32_t gasTimeUs;
    const char* gasText;
    int gasBar;
    std::int32_t lambdaRaw;
    Band band;
    bool bandChanges;  // from the middle band the record starts in
    const char* lambdaText;
    int lambdaBar;
    std::uint8_t echoedParam;  // deviceParams[frame byte 0] afterwards
};

const WorkedFrame kWorkedFrames[] = {
    {{{10, 120}, {11, 80}},
     {0x05, 0x0A, 0x3C, 0x5A, 0x00, 0x80},
     "10,480",
     2620,
     10,
     12028,
     "12,028",
     12028,
     23040,
     kBandMiddle,
     false,
     "1,75",
     90,
     128},
    {{{2, 200}, {3, 0}},
     {0x07, 0x02, 0xFF, 0x17, 0x00, 0x64},
     "3,068",
     767,
     2,
     3079,
     "3,079",
     3079,
     5888,
     kBandLow,
     true,
     "0,44",
     23,
     100},
    {{{15, 50}},
     {0x0F, 0x0F, 0x80, 0xC0, 0x00, 0x32},
     "15,872",
     3968,
     15,
     16222,
     "16,222",
     16222,
     49152,
     kBandHigh,
     true,
     "3,75",
     192,
     50},
    {{},
     {0x00, 0x12, 0x34, 0x00, 0x00, 0x64},
     "18,640",
     4096,
     2,
     3656,
     "3,656",
     3656,
     0,
     kBandLow,
     true,
     "0,00",
     0,
     100},
    {{},
     {0x00, 0xFF, 0xFF, 0x00, 0x00, 0x64},
     "262,140",
     4096,
     15,
     16386,
     "16,386",
     16384,
     0,
     kBandLow,
     true,
     "0,00",
     0,
     100},
};

class WorkedFrameTest : public testing::TestWithParam<WorkedFrame> {};

TEST_P(WorkedFrameTest, ShowsEveryReadout) {
    const WorkedFrame& c = GetParam();
    LinkState state;
    state.deviceParams.fill(100);
    state.deviceParams[16] = 0;
    for (auto [index, value] : c.paramsOtherThan100) state.deviceParams[index] = value;
    state.receivedMask = 0xFFFF;
    RecordingWindow window;

    ReceiveAfterPause(state, window, c.frame);

    const WindowOps::Readouts expected{c.petrolText, c.petrolBar,  c.gasText,
                                       c.gasBar,     c.lambdaText, c.lambdaBar};
    EXPECT_EQ(window.readouts, expected);
    EXPECT_EQ(window.readoutsShown, 1);
    EXPECT_EQ(window.marker, c.cellIndex);
    EXPECT_EQ(window.band, c.band);
    EXPECT_EQ(window.calls.size(), c.bandChanges ? 3u : 2u);

    EXPECT_EQ(state.cellIndex, c.cellIndex);
    EXPECT_EQ(state.gasTimeUs, c.gasTimeUs);
    EXPECT_EQ(state.lambdaRaw, c.lambdaRaw);
    EXPECT_EQ(state.lambdaBand, c.band);
    EXPECT_EQ(state.deviceParams[c.frame[0]], c.echoedParam);
    EXPECT_EQ(state.deviceParams[16], 0);
}

INSTANTIATE_TEST_SUITE_P(LiveValues, WorkedFrameTest, testing::ValuesIn(kWorkedFrames));

struct LambdaCase {
    std::int32_t lambdaRaw;
    const char* text;
    Band band;
    int bar;
};

const LambdaCase kLambdaCases[] = {
    {0, "0,00", kBandLow, 0},         {655, "0,04", kBandLow, 2},
    {13107, "1,00", kBandLow, 51},    {16382, "1,24", kBandLow, 63},
    {16383, "1,24", kBandMiddle, 63}, {49151, "3,74", kBandMiddle, 191},
    {49152, "3,75", kBandHigh, 192},  {65535, "5,00", kBandHigh, 255},
};

class LambdaBoundaryTest : public testing::TestWithParam<LambdaCase> {};

TEST_P(LambdaBoundaryTest, TextBandAndBar) {
    const LambdaCase& c = GetParam();
    LinkState state;
    state.lambdaRaw = c.lambdaRaw;
    // Start in another band, so the colour for this band is set.
    state.lambdaBand = static_cast<Band>((static_cast<int>(c.band) + 1) % 3);
    RecordingWindow window;

    ShowLiveValues(state, window);

    EXPECT_EQ(state.lambdaBand, c.band);
    EXPECT_EQ(window.readouts.lambdaText, c.text);
    EXPECT_EQ(window.readouts.lambdaBar, c.bar);
    EXPECT_EQ(window.band, c.band);
}

INSTANTIATE_TEST_SUITE_P(LiveValues, LambdaBoundaryTest, testing::ValuesIn(kLambdaCases));

int CountStartingWith(const std::vector<std::string>& calls, const std::string& prefix) {
    int n = 0;
    for (const auto& c : calls) n += c.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
}

TEST(LambdaBandColourTest, SetOnlyWhenTheBandChanges) {
    struct Step {
        std::int32_t lambdaRaw;
        std::vector<std::string> colourCalls;
    };
    const Step steps[] = {
        {20000, {}},  // middle, as at start: no colour
        {100, {"ShowLambdaBand(Low)"}},
        {16382, {}},  // still low
        {16383, {"ShowLambdaBand(Middle)"}},
        {49151, {}},
        {60000, {"ShowLambdaBand(High)"}},
        {65535, {}},
        {0, {"ShowLambdaBand(Low)"}},
    };
    LinkState state;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.lambdaRaw);
        state.lambdaRaw = step.lambdaRaw;
        RecordingWindow window;
        ShowLiveValues(state, window);
        std::vector<std::string> colourCalls;
        for (const auto& call : window.calls) {
            if (call.rfind("ShowLambdaBand", 0) == 0) colourCalls.push_back(call);
        }
        EXPECT_EQ(colourCalls, step.colourCalls);
    }
}

TEST(LambdaBandColourTest, TwoFramesInTheSameBandAsReceived) {
    LinkState state;
    state.receivedMask = 0xFFFF;
    RecordingWindow window;
    ReceiveAfterPause(state, window, {0x01, 0x01, 0x00, 0x10, 0x00, 0x05});  // 4096: low
    ReceiveAfterPause(state, window, {0x02, 0x01, 0x00, 0x20, 0x00, 0x05});  // 8192: low
    EXPECT_EQ(CountStartingWith(window.calls, "ShowLambdaBand(Low)"), 1);
    EXPECT_EQ(CountStartingWith(window.calls, "ShowLambdaBand"), 1);
    EXPECT_EQ(window.readoutsShown, 2);
}

// The marker of the current cell; a cell outside 0..15 changes nothing.
TEST(ShowCellMarkerTest, OnlyCellsOfTheMap) {
    for (const std::int32_t cell : {0, 4, 15, -1, 16, 1000}) {
        SCOPED_TRACE(cell);
        LinkState state;
        state.cellIndex = cell;
        RecordingWindow window;
        ShowCellMarker(state, window);
        const bool onTheMap = cell >= 0 && cell < kParamCount;
        EXPECT_EQ(window.marker, onTheMap ? cell : -1);
        EXPECT_EQ(window.calls.size(), onTheMap ? 1u : 0u);
    }
}

TEST(FormatMillisecondsTest, PadsThousandthsToThreeDigits) {
    EXPECT_EQ(FormatMilliseconds(0), "0,000");
    EXPECT_EQ(FormatMilliseconds(7), "0,007");
    EXPECT_EQ(FormatMilliseconds(1050), "1,050");
    EXPECT_EQ(FormatMilliseconds(18930), "18,930");
}

}  // namespace
