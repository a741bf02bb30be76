// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/SendScheduler.h"
#include "link/Telemetry.h"
#include "tests/link/SupervisionRig.h"
#include "tests/support/FakeChannel.h"

namespace {

// Supervision, sending and telemetry together, with a controller whose
// parameters the test sets.
struct LinkRig : SupervisionRig {
    FakeChannel channel;

    // Two telemetry frames for every index, echoing the controller's values:
    // enough for a first link-up to trust them.
    void ControllerTalks(const std::array<std::uint8_t, 16>& params) {
        for (int round = 0; round < 2; ++round) {
            for (int k = 0; k < kParamCount; ++k) {
                ApplyTelemetryFrame(
                    state, TelemetryFrame{static_cast<std::uint8_t>(k), 0x01, 0x00, 0x80, 0x00,
                                          params[static_cast<std::size_t>(k)]});
            }
        }
    }

    // Twelve silent supervision ticks: the link is lost on the last one.
    void ControllerFallsSilent() {
        for (int i = 0; i < 12; ++i) {
            now += 200;
            Tick();
        }
    }

    std::vector<std::string> SendTicks(int count) {
        std::vector<std::string> frames;
        for (int i = 0; i < count; ++i) {
            const std::size_t before = channel.written.size();
            SendTick(state, panel, window, channel);
            frames.push_back(
                channel.written.size() == before ? "" : FakeChannel::Hex(channel.written.back()));
        }
        return frames;
    }

    int SpinMoves() const {
        int n = 0;
        for (const auto& call : window.calls) n += call.rfind("ShowParameter", 0) == 0;
        return n;
    }
};

std::array<std::uint8_t, 16> AllAt(std::uint8_t value) {
    std::array<std::uint8_t, 16> params{};
    params.fill(value);
    return params;
}

std::array<std::uint8_t, 16> Restarted() {
    std::array<std::uint8_t, 16> params = AllAt(100);
    params[6] = 90;
    params[9] = 80;
    return params;
}

TEST(LinkScenarioTest, LostAndRegainedOnTheSamePortSendsThePanelValues) {
    LinkRig rig;
    rig.ControllerTalks(AllAt(100));
    rig.now = 1000;
    rig.Tick();
    ASSERT_TRUE(rig.state.linkUp);
    EXPECT_EQ(rig.SpinMoves(), 16);
    PanelParams allHundred{};
    allHundred.fill(100);
    EXPECT_EQ(rig.panel, allHundred);
    EXPECT_EQ(rig.SendTicks(6), std::vector<std::string>(6, ""));

    rig.ControllerFallsSilent();
    ASSERT_FALSE(rig.state.linkUp);
    EXPECT_EQ(rig.window.linkStatus, "COM Waiting...");
    EXPECT_EQ(rig.SendTicks(3), std::vector<std::string>(3, ""));

    rig.ControllerTalks(Restarted());
    rig.window.Clear();
    rig.now += 200;
    rig.Tick();

    ASSERT_TRUE(rig.state.linkUp);
    EXPECT_EQ(rig.SpinMoves(), 0);
    EXPECT_EQ(rig.window.calls[0], "ShowStatusColour(LinkUp)");
    EXPECT_EQ(rig.window.calls[1], "EnableEditing()");
    EXPECT_EQ(rig.panel[6], 100);
    EXPECT_EQ(rig.panel[9], 100);
    const std::vector<std::string> expected = {
        "AB 01 00 06 64 16", "", "", "AB 01 00 09 64 19", "", "", ""};
    EXPECT_EQ(rig.SendTicks(7), expected);
}

struct PortCommandCase {
    const char* name;
    void (LinkState::*reset)();
    bool panelReloaded;
};

class PanelAfterPortCommandTest : public testing::TestWithParam<PortCommandCase> {};

TEST_P(PanelAfterPortCommandTest, ReloadsOnlyAfterSearchOrPortChange) {
    const PortCommandCase& c = GetParam();
    LinkRig rig;
    rig.ControllerTalks(AllAt(100));
    rig.now = 1000;
    rig.Tick();
    ASSERT_TRUE(rig.state.linkUp);

    (rig.state.*c.reset)();
    rig.ControllerTalks(Restarted());
    rig.window.Clear();
    rig.now += 200;
    rig.Tick();
    ASSERT_TRUE(rig.state.linkUp);

    if (c.panelReloaded) {
        EXPECT_EQ(rig.SpinMoves(), 16);
        EXPECT_EQ(rig.panel[6], 90);
        EXPECT_EQ(rig.panel[9], 80);
        EXPECT_EQ(rig.SendTicks(6), std::vector<std::string>(6, ""));
    } else {
        EXPECT_EQ(rig.SpinMoves(), 0);
        EXPECT_EQ(rig.panel[6], 100);
        EXPECT_EQ(rig.SendTicks(1), std::vector<std::string>{"AB 01 00 06 64 16"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    LinkScenario, PanelAfterPortCommandTest,
    testing::Values(PortCommandCase{"Search", &LinkState::ResetForSearch, true},
                    PortCommandCase{"PortChange", &LinkState::ResetForPortChange, true},
                    PortCommandCase{"Offline", &LinkState::ResetForOffline, false},
                    PortCommandCase{"LinkLoss", &LinkState::ResetForLinkLoss, false}),
    [](const testing::TestParamInfo<PortCommandCase>& info) {
        return std::string(info.param.name);
    });

TEST(LinkScenarioTest, WritePressedJustBeforeALossIsTheFirstFrameAfterwards) {
    LinkRig rig;
    rig.ControllerTalks(AllAt(100));
    rig.now = 1000;
    rig.Tick();
    rig.panel[2] = 50;
    EXPECT_EQ(rig.SendTicks(1), std::vector<std::string>{"AB 01 00 02 32 E0"});
    RequestWrite(rig.state);

    rig.ControllerFallsSilent();
    ASSERT_FALSE(rig.state.linkUp);
    EXPECT_EQ(rig.SendTicks(4), std::vector<std::string>(4, ""));

    // The controller comes back having lost the change, on another port.
    rig.state.ResetForPortChange();
    rig.ControllerTalks(AllAt(100));
    rig.now += 200;
    rig.Tick();
    ASSERT_TRUE(rig.state.linkUp);

    const std::vector<std::string> expected = {"", "", "AB 02 48 07 1A 16", "", "", ""};
    EXPECT_EQ(rig.SendTicks(6), expected);
    EXPECT_FALSE(rig.state.writeRequested);
}

}  // namespace
