#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "LiveValues.h"
#include "ReceivedBytes.h"
#include "RecordingWindow.h"

namespace {

// Marker control of cell k, k = 0..15 (1024 and 1025 are not used).
const int kMarkerIds[16] = {1020, 1021, 1022, 1023, 1026, 1027, 1028, 1029,
                            1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037};

std::vector<std::string> MarkerCalls(int cell) {
    std::vector<std::string> calls;
    for (int k = 0; k < 16; ++k) {
        calls.push_back("SetControlVisible(" + std::to_string(kMarkerIds[k]) + ", " +
                        (k == cell ? "1" : "0") + ")");
    }
    return calls;
}

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
    std::uint8_t band;
    const char* bandColour;
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
     nullptr,
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
     "0xB4781E",
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
     "0x003CFF",
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
     "0xB4781E",
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
     "0xB4781E",
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

    std::vector<std::string> expected = {
        std::string("SetControlText(1002, ") + c.petrolText + ")",
        "SetBarPosition(1004, " + std::to_string(c.petrolBar) + ")",
        std::string("SetControlText(1005, ") + c.gasText + ")",
        "SetBarPosition(1006, " + std::to_string(c.gasBar) + ")",
    };
    if (c.bandColour != nullptr) {
        expected.push_back(std::string("SetBarColour(1008, ") + c.bandColour + ")");
    }
    expected.push_back(std::string("SetControlText(1007, ") + c.lambdaText + ")");
    expected.push_back("SetBarPosition(1008, " + std::to_string(c.lambdaBar) + ")");
    for (const std::string& call : MarkerCalls(c.cellIndex)) expected.push_back(call);
    EXPECT_EQ(window.calls, expected);

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
    std::uint8_t band;
    const char* colour;
    int bar;
};

const LambdaCase kLambdaCases[] = {
    {0, "0,00", kBandLow, "0xB4781E", 0},         {655, "0,04", kBandLow, "0xB4781E", 2},
    {13107, "1,00", kBandLow, "0xB4781E", 51},    {16382, "1,24", kBandLow, "0xB4781E", 63},
    {16383, "1,24", kBandMiddle, "0x00D21E", 63}, {49151, "3,74", kBandMiddle, "0x00D21E", 191},
    {49152, "3,75", kBandHigh, "0x003CFF", 192},  {65535, "5,00", kBandHigh, "0x003CFF", 255},
};

class LambdaBoundaryTest : public testing::TestWithParam<LambdaCase> {};

TEST_P(LambdaBoundaryTest, TextBandAndBar) {
    const LambdaCase& c = GetParam();
    LinkState state;
    state.lambdaRaw = c.lambdaRaw;
    // Start in another band, so the colour for this band is set.
    state.lambdaBand = static_cast<std::uint8_t>((c.band + 1) % 3);
    RecordingWindow window;

    ShowLiveValues(state, window);

    EXPECT_EQ(state.lambdaBand, c.band);
    EXPECT_EQ(window.texts[1007], c.text);
    EXPECT_EQ(window.bars[1008], c.bar);
    EXPECT_EQ(RecordingWindow::ColourText(window.barColours.at(1008)), c.colour);
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
        {100, {"SetBarColour(1008, 0xB4781E)"}},
        {16382, {}},  // still low
        {16383, {"SetBarColour(1008, 0x00D21E)"}},
        {49151, {}},
        {60000, {"SetBarColour(1008, 0x003CFF)"}},
        {65535, {}},
        {0, {"SetBarColour(1008, 0xB4781E)"}},
    };
    LinkState state;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.lambdaRaw);
        state.lambdaRaw = step.lambdaRaw;
        RecordingWindow window;
        ShowLiveValues(state, window);
        std::vector<std::string> colourCalls;
        for (const auto& call : window.calls) {
            if (call.rfind("SetBarColour", 0) == 0) colourCalls.push_back(call);
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
    EXPECT_EQ(CountStartingWith(window.calls, "SetBarColour(1008, 0xB4781E)"), 1);
    EXPECT_EQ(CountStartingWith(window.calls, "SetBarColour"), 1);
    EXPECT_EQ(CountStartingWith(window.calls, "SetControlText(1007"), 2);
}

struct MarkerCase {
    std::int32_t cellIndex;
    int shown;  // 0 when nothing may change
};

const MarkerCase kMarkerCases[] = {
    {0, 1020},  {1, 1021},  {2, 1022}, {3, 1023},  {4, 1026},  {5, 1027},  {6, 1028},
    {7, 1029},  {8, 1030},  {9, 1031}, {10, 1032}, {11, 1033}, {12, 1034}, {13, 1035},
    {14, 1036}, {15, 1037}, {-1, 0},   {16, 0},    {1000, 0},
};

class ShowCellMarkerTest : public testing::TestWithParam<MarkerCase> {};

TEST_P(ShowCellMarkerTest, ShowsOnlyTheCurrentCell) {
    const MarkerCase& c = GetParam();
    LinkState state;
    state.cellIndex = c.cellIndex;
    RecordingWindow window;

    ShowCellMarker(state, window);

    if (c.shown == 0) {
        EXPECT_TRUE(window.calls.empty());
        return;
    }
    ASSERT_EQ(window.calls.size(), 16u);
    int visibleCount = 0;
    for (const auto& [id, isVisible] : window.visible) {
        EXPECT_NE(id, 1024);
        EXPECT_NE(id, 1025);
        if (isVisible) {
            ++visibleCount;
            EXPECT_EQ(id, c.shown);
        }
    }
    EXPECT_EQ(visibleCount, 1);
    EXPECT_EQ(window.calls, MarkerCalls(c.cellIndex));
}

INSTANTIATE_TEST_SUITE_P(LiveValues, ShowCellMarkerTest, testing::ValuesIn(kMarkerCases));

TEST(ShowCellMarkerTest, EachCallSetsAllSixteenEvenIfTheCellIsUnchanged) {
    LinkState state;
    state.cellIndex = 4;
    RecordingWindow window;
    ShowCellMarker(state, window);
    ShowCellMarker(state, window);
    EXPECT_EQ(window.calls.size(), 32u);
    EXPECT_EQ(window.calls.back(), "SetControlVisible(1037, 0)");
}

TEST(FormatMillisecondsTest, PadsThousandthsToThreeDigits) {
    EXPECT_EQ(FormatMilliseconds(0), "0,000");
    EXPECT_EQ(FormatMilliseconds(7), "0,007");
    EXPECT_EQ(FormatMilliseconds(1050), "1,050");
    EXPECT_EQ(FormatMilliseconds(18930), "18,930");
}

}  // namespace
