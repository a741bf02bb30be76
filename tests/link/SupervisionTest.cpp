// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/Telemetry.h"
#include "tests/link/SupervisionRig.h"

namespace {

TEST(SupervisionTickTest, UpTransitionLoadsThePanelAndEnablesEditing) {
    SupervisionRig rig;
    for (int k = 0; k < kParamCount; ++k) {
        rig.state.deviceParams[k] = static_cast<std::uint8_t>(10 * k + 3);
        rig.panel[k] = -5;
    }
    rig.state.receivedMask = 0xFFFF;
    rig.state.confirmedMask = 0xFFFF;
    rig.now = 1000;
    // The panel must be complete before the first spin moves.
    PanelParams panelAtFirstSpin{};
    bool sawSpin = false;
    rig.window.onCall = [&](const std::string& call) {
        if (!sawSpin && call.rfind("ShowParameter", 0) == 0) {
            sawSpin = true;
            panelAtFirstSpin = rig.panel;
        }
    };

    rig.Tick();

    std::vector<std::string> expected = {"ShowStatusColour(LinkUp)"};
    for (int k = 0; k < kParamCount; ++k) {
        expected.push_back("ShowParameter(" + std::to_string(k) + ", " +
                           std::to_string(10 * k + 3) + ")");
    }
    expected.push_back("EnableEditing()");
    expected.push_back("ShowLinkStatus(Up, COM OK.)");
    expected.push_back("ShowConnectionTime(Time:00:00)");
    EXPECT_EQ(rig.window.calls, expected);

    PanelParams loaded{};
    std::array<std::uint8_t, kParamCount> stored{};
    for (int k = 0; k < kParamCount; ++k) {
        loaded[k] = 10 * k + 3;
        stored[k] = static_cast<std::uint8_t>(10 * k + 3);
    }
    EXPECT_EQ(rig.panel, loaded);
    EXPECT_EQ(panelAtFirstSpin, loaded);
    // What a freshly linked controller reports is what it stored.
    EXPECT_EQ(rig.state.storedParams, stored);
    EXPECT_TRUE(rig.state.linkUp);
    EXPECT_EQ(rig.state.linkUpTick, 1000u);
    EXPECT_TRUE(rig.state.panelLoaded);
    EXPECT_EQ(rig.state.silenceTicks, 1);
}

TEST(SupervisionTickTest, UpTransitionWithThePanelLoadedOnlyColoursAndEnables) {
    SupervisionRig rig;
    rig.state.receivedMask = rig.state.confirmedMask = 0xFFFF;
    rig.state.panelLoaded = true;
    rig.state.deviceParams.fill(7);
    rig.panel.fill(42);
    rig.now = 200;
    rig.Tick();
    const std::vector<std::string> expected = {"ShowStatusColour(LinkUp)", "EnableEditing()",
                                               "ShowLinkStatus(Up, COM OK..)",
                                               "ShowConnectionTime(Time:00:00)"};
    EXPECT_EQ(rig.window.calls, expected);
    EXPECT_EQ(rig.panel[0], 42);
    EXPECT_TRUE(rig.state.linkUp);
}

TEST(SupervisionTickTest, IncompleteMaskOnlyBlanksTheTime) {
    for (std::uint16_t mask : {0x0000, 0x0001, 0x7FFF, 0xFFFE}) {
        SCOPED_TRACE(mask);
        SupervisionRig rig;
        rig.state.receivedMask = mask;
        rig.state.silenceTicks = 5;
        rig.now = 4000;
        rig.Tick();
        EXPECT_EQ(rig.window.calls, std::vector<std::string>{"ShowConnectionTime(Time:)"});
        EXPECT_EQ(rig.state.silenceTicks, 5);
        EXPECT_FALSE(rig.state.linkUp);
        EXPECT_FALSE(rig.state.panelLoaded);
    }
}

// A first link-up loads the panel only from confirmed values; after a loss on
// the same port the confirmed values tell whether it is the same controller.
TEST(SupervisionTickTest, EveryLinkUpWaitsForEveryValueConfirmed) {
    for (const bool panelLoaded : {false, true}) {
        SCOPED_TRACE(panelLoaded);
        SupervisionRig rig;
        rig.state.receivedMask = 0xFFFF;
        rig.state.confirmedMask = 0xFFF7;
        rig.state.panelLoaded = panelLoaded;
        rig.Tick();
        EXPECT_FALSE(rig.state.linkUp);
        EXPECT_EQ(rig.window.calls, std::vector<std::string>{"ShowConnectionTime(Time:)"});
        rig.state.confirmedMask = 0xFFFF;
        rig.Tick();
        EXPECT_TRUE(rig.state.linkUp);
    }
}

struct SilentTick {
    std::vector<std::string> calls;
    int silenceAfter;
};

// Ticks 1 to 13 after the last accepted frame, which came at 60,000 ms on a
// link up since 0 ms; tick i comes at 60,000 + 200 i.
const SilentTick kSilentTicks[] = {
    {{"ShowLinkStatus(Up, COM OK..)", "ShowConnectionTime(Time:01:00)"}, 1},
    {{"ShowLinkStatus(Up, COM OK...)", "ShowConnectionTime(Time:01:00)"}, 2},
    {{"ShowLinkStatus(Up, COM OK....)", "ShowConnectionTime(Time:01:00)"}, 3},
    {{"ShowLinkStatus(Up, COM OK.....)", "ShowConnectionTime(Time:01:00)"}, 4},
    {{"ShowLinkStatus(Up, COM OK.)", "ShowConnectionTime(Time:01:01)"}, 5},
    {{"ShowLinkStatus(Up, COM OK..)", "ShowConnectionTime(Time:01:01)"}, 6},
    {{"ShowLinkStatus(Up, COM OK...)", "ShowConnectionTime(Time:01:01)"}, 7},
    {{"ShowLinkStatus(Up, COM OK....)", "ShowConnectionTime(Time:01:01)"}, 8},
    {{"ShowLinkStatus(Up, COM OK.....)", "ShowConnectionTime(Time:01:01)"}, 9},
    {{"ShowLinkStatus(Up, COM OK.)", "ShowConnectionTime(Time:01:02)"}, 10},
    {{"ShowLinkStatus(Up, COM OK..)", "ShowConnectionTime(Time:01:02)"}, 11},
    {{"DisableEditing()", "ClearLiveDisplay(keep)", "ShowLinkStatus(Waiting, COM Waiting...)",
      "ShowConnectionTime(Time:01:02)"},
     0},
    {{"ShowConnectionTime(Time:)"}, 0},
};

TEST(SupervisionTickTest, LinkIsLostOnTheTwelfthSilentTick) {
    SupervisionRig rig;
    rig.MakeUp(0);
    rig.state.silenceTicks = 6;
    ApplyTelemetryFrame(rig.state, TelemetryFrame{4, 0x04, 0x00, 0x80, 0x00, 9});
    // The loss resets the record before the window is blanked.
    rig.window.onCall = [&](const std::string& call) {
        if (call == "DisableEditing()" || call == "ClearLiveDisplay(keep)") {
            EXPECT_EQ(rig.state.receivedMask, 0);
            EXPECT_FALSE(rig.state.linkUp);
        }
    };
    int i = 0;
    for (const SilentTick& tick : kSilentTicks) {
        ++i;
        SCOPED_TRACE("tick " + std::to_string(i));
        rig.now = 60000 + 200 * i;
        rig.window.Clear();
        rig.Tick();
        EXPECT_EQ(rig.window.calls, tick.calls);
        EXPECT_EQ(rig.state.silenceTicks, tick.silenceAfter);
        EXPECT_EQ(rig.state.linkUp, i < 12);
    }
    EXPECT_TRUE(rig.state.panelLoaded);
    EXPECT_EQ(rig.state.linkUpTick, 0u);
}

TEST(SupervisionTickTest, FrameBeforeTheTwelfthTickRestartsTheCount) {
    SupervisionRig rig;
    rig.MakeUp(0);
    const TelemetryFrame frame{4, 0x04, 0x00, 0x80, 0x00, 9};
    for (int round = 0; round < 3; ++round) {
        ApplyTelemetryFrame(rig.state, frame);
        for (int i = 0; i < 11; ++i) rig.Tick();
        EXPECT_TRUE(rig.state.linkUp);
        EXPECT_EQ(rig.state.silenceTicks, 11);
    }
    EXPECT_EQ(rig.window.linkStatus.rfind("COM OK", 0), 0u);
    rig.Tick();
    EXPECT_FALSE(rig.state.linkUp);
    EXPECT_EQ(rig.window.linkStatus, "COM Waiting...");
}

TEST(SupervisionTickTest, IgnoredFramesDoNotKeepTheLinkUp) {
    SupervisionRig rig;
    rig.MakeUp(0);
    ApplyTelemetryFrame(rig.state, TelemetryFrame{4, 0x04, 0x00, 0x80, 0x00, 9});
    for (int i = 1; i <= 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ApplyTelemetryFrame(rig.state, TelemetryFrame{static_cast<std::uint8_t>(15 + i),
                                                                0x04, 0x00, 0x80, 0x00, 9}),
                  FrameResult::Ignored);
        rig.Tick();
        EXPECT_EQ(rig.state.linkUp, i < 12);
    }
}

TEST(SupervisionTickTest, PortErrorIsReportedOnceBeforeTheTimeIsRead) {
    struct Case {
        std::uint8_t port;
        const char* box;
    };
    const Case cases[] = {{8, "ShowErrorBox(COM8端口打开失败!, 端口错误)"},
                          {20, "ShowErrorBox(COM20端口打开失败!, 端口错误)"},
                          {1, "ShowErrorBox(COM1端口打开失败!, 端口错误)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.port});
        SupervisionRig rig;
        rig.noteTickRead = true;
        rig.state.portError = c.port;
        rig.window.onCall = [&](const std::string& call) {
            if (call.rfind("ShowErrorBox", 0) == 0) {
                EXPECT_EQ(rig.state.portError, 0);
            }
        };
        rig.Tick();
        const std::vector<std::string> first = {c.box, "ReadTickCount",
                                                "ShowConnectionTime(Time:)"};
        EXPECT_EQ(rig.window.calls, first);
        EXPECT_EQ(rig.state.portError, 0);

        rig.window.Clear();
        rig.Tick();
        const std::vector<std::string> second = {"ReadTickCount", "ShowConnectionTime(Time:)"};
        EXPECT_EQ(rig.window.calls, second);
    }
}

TEST(SupervisionTickTest, TickNestedInTheErrorBoxNeitherReopensItNorRunsTimeBackwards) {
    SupervisionRig rig;
    rig.state.portError = 3;
    rig.state.receivedMask = rig.state.confirmedMask = 0xFFFF;
    rig.state.panelLoaded = true;
    rig.now = 4800;
    bool nested = false;
    rig.window.onCall = [&](const std::string& call) {
        if (nested || call.rfind("ShowErrorBox", 0) != 0) return;
        nested = true;
        rig.now = 5000;
        rig.Tick();  // a timer tick while the box is open brings the link up
        rig.now = 5200;
    };
    rig.Tick();

    int boxes = 0;
    for (const auto& call : rig.window.calls) boxes += call.rfind("ShowErrorBox", 0) == 0;
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(rig.state.linkUpTick, 5000u);
    EXPECT_EQ(rig.window.calls.back(), "ShowConnectionTime(Time:00:00)");
    EXPECT_EQ(rig.state.silenceTicks, 2);
}

struct AnimationCase {
    std::uint32_t now;
    const char* text;
};

class AnimationTest : public testing::TestWithParam<AnimationCase> {};

TEST_P(AnimationTest, PaneOneFollowsTheTickCount) {
    SupervisionRig rig;
    rig.MakeUp(0);
    rig.now = GetParam().now;
    rig.Tick();
    EXPECT_EQ(rig.window.linkStatus, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Supervision, AnimationTest,
    testing::Values(AnimationCase{0, "COM OK."}, AnimationCase{199, "COM OK."},
                    AnimationCase{200, "COM OK.."}, AnimationCase{400, "COM OK..."},
                    AnimationCase{600, "COM OK...."}, AnimationCase{800, "COM OK....."},
                    AnimationCase{1000, "COM OK."}, AnimationCase{1399, "COM OK.."},
                    AnimationCase{1800, "COM OK....."}, AnimationCase{0xFFFFFFFF, "COM OK.."}));

struct TimeCase {
    std::uint32_t linkUpTick;
    std::uint32_t now;
    const char* text;
};

class ConnectionTimeTest : public testing::TestWithParam<TimeCase> {};

TEST_P(ConnectionTimeTest, PaneTwoShowsMinutesAndSeconds) {
    SupervisionRig rig;
    rig.MakeUp(GetParam().linkUpTick);
    rig.now = GetParam().now;
    rig.Tick();
    EXPECT_EQ(rig.window.connectionTime, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Supervision, ConnectionTimeTest,
    testing::Values(TimeCase{0, 3725000, "Time:62:05"}, TimeCase{0, 6000000, "Time:100:00"},
                    TimeCase{0, 999, "Time:00:00"}, TimeCase{0xFFFFFF00, 0x100, "Time:00:00"},
                    TimeCase{500, 60499, "Time:00:59"}, TimeCase{500, 60500, "Time:01:00"},
                    TimeCase{0xFFFFFC18, 60000, "Time:01:01"}, TimeCase{1, 0, "Time:71582:47"}));

}  // namespace

// Minutes are never reduced; a replay's position past 49.7 days (beyond 32
// bits of milliseconds) does not wrap.
TEST(ConnectionTimeTextTest, MinutesAndSecondsOfAnyLength) {
    const std::pair<std::uint64_t, const char*> rows[] = {
        {0, "Time:00:00"},
        {59'999, "Time:00:59"},
        {6'000'000, "Time:100:00"},
        {3'024'000'000, "Time:50400:00"},
        {5'184'001'000, "Time:86400:01"},
    };
    for (const auto& [elapsedMs, text] : rows) EXPECT_EQ(ConnectionTimeText(elapsedMs), text);
}
