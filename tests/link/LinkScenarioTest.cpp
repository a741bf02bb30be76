// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/SendScheduler.h"
#include "link/StoredSet.h"
#include "link/Telemetry.h"
#include "tests/link/SupervisionRig.h"
#include "tests/support/FakeChannel.h"

namespace {

std::array<std::uint8_t, 16> AllAt(std::uint8_t value) {
    std::array<std::uint8_t, 16> params{};
    params.fill(value);
    return params;
}

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

    // Up with one controller, then silent, then another one talks: the link
    // comes back holding its question.
    void AnotherControllerComesBack(const std::array<std::uint8_t, 16>& params) {
        ControllerTalks(AllAt(100));
        now = 1000;
        Tick();
        ControllerFallsSilent();
        ControllerTalks(params);
        now += 200;
        Tick();
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

// The link comes back after a loss. The stored set tells the controller:
// the same one, restarted or not, gets the panel's values again and a Write
// pressed before the loss; another one (or one changed by another tool) gets
// nothing until the user has chosen, and loses the pending store.
TEST(LinkScenarioTest, AControllerComingBackIsKnownByItsStoredSet) {
    struct Row {
        const char* name;
        std::array<std::uint8_t, 16> comesBackWith;
        bool unstoredChange;  // parameter 6 raised to 120 and sent before the loss
        std::uint16_t asked;  // the parameters the question names, 0: no question
        std::vector<std::string> frames;
    };
    std::array<std::uint8_t, 16> sixAt90 = AllAt(100);
    sixAt90[6] = 90;
    std::array<std::uint8_t, 16> sixAt120 = AllAt(100);
    sixAt120[6] = 120;
    const char* const store = "AB 02 48 07 1A 16";
    const char* const sixTo120 = "AB 01 00 06 78 2A";
    const Row rows[] = {
        {"the same, nothing unstored", AllAt(100), false, 0, {store, "", "", "", ""}},
        {"the same, still holding the change", sixAt120, true, 0, {store, "", "", "", ""}},
        {"the same, restarted", AllAt(100), true, 0, {store, "", "", sixTo120, ""}},
        {"another, differing only where unstored", sixAt90, true, 0, {store, "", "", sixTo120, ""}},
        {"another", sixAt90, false, 0x0040, {"", "", "", "", ""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LinkRig rig;
        rig.ControllerTalks(AllAt(100));
        rig.now = 1000;
        rig.Tick();
        ASSERT_TRUE(rig.state.linkUp);
        if (row.unstoredChange) {
            rig.panel[6] = 120;
            EXPECT_EQ(rig.SendTicks(3), (std::vector<std::string>{sixTo120, "", ""}));
        }
        RequestWrite(rig.state);
        rig.ControllerFallsSilent();
        ASSERT_FALSE(rig.state.linkUp);

        rig.ControllerTalks(row.comesBackWith);
        rig.window.Clear();
        rig.now += 200;
        rig.Tick();
        ASSERT_TRUE(rig.state.linkUp);
        EXPECT_EQ(rig.SpinMoves(), 0);
        EXPECT_EQ(rig.window.otherControllerParams, row.asked);
        EXPECT_EQ(rig.window.editing, row.asked == 0);
        EXPECT_EQ(rig.state.writeRequested, row.asked == 0);
        EXPECT_EQ(rig.SendTicks(5), row.frames);
    }
}

// The answers to the question about another controller: its values load the
// panel and become the stored set, nothing sent; or the panel's values go to
// it, unstored there. Either way a store asked of the first one stays dropped.
TEST(LinkScenarioTest, AnsweringAboutAnotherControllerEndsTheHold) {
    for (const bool loadItsValues : {true, false}) {
        SCOPED_TRACE(loadItsValues);
        LinkRig rig;
        rig.ControllerTalks(AllAt(100));
        rig.now = 1000;
        rig.Tick();
        RequestWrite(rig.state);
        rig.ControllerFallsSilent();
        std::array<std::uint8_t, 16> other = AllAt(60);
        other[2] = 61;
        rig.ControllerTalks(other);
        rig.now += 200;
        rig.Tick();
        ASSERT_EQ(rig.window.otherControllerParams, 0xFFFF);
        rig.window.Clear();

        if (loadItsValues) {
            // A store asked while the question is open goes with the panel.
            RequestWrite(rig.state);
            ChooseControllerValues(rig.state, rig.panel, rig.window);
        } else {
            ChoosePanelValues(rig.state, rig.window);
        }
        EXPECT_FALSE(rig.state.choicePending);
        EXPECT_TRUE(rig.window.editing);
        EXPECT_EQ(rig.state.storedParams[2], 61);
        EXPECT_EQ(rig.state.storedParams[3], 60);
        EXPECT_EQ(rig.SpinMoves(), loadItsValues ? 16 : 0);
        EXPECT_EQ(rig.panel[2], loadItsValues ? 61 : 100);
        EXPECT_EQ(UnstoredParams(rig.state, rig.panel), loadItsValues ? 0 : 0xFFFF);
        const std::vector<std::string> frames = rig.SendTicks(4);
        EXPECT_EQ(frames[0], loadItsValues ? "" : "AB 01 00 00 64 10");
        EXPECT_EQ(frames[3], loadItsValues ? "" : "AB 01 00 01 64 11");
        EXPECT_FALSE(rig.state.writeRequested);
    }
}

// The link is lost again while the question is open and comes back: the
// question stands and is not asked a second time.
TEST(LinkScenarioTest, AnOpenQuestionIsNotAskedAgain) {
    LinkRig rig;
    rig.ControllerTalks(AllAt(100));
    rig.now = 1000;
    rig.Tick();
    for (int round = 0; round < 2; ++round) {
        rig.ControllerFallsSilent();
        rig.ControllerTalks(AllAt(60));
        rig.now += 200;
        rig.Tick();
        ASSERT_TRUE(rig.state.linkUp);
    }
    int questions = 0;
    for (const auto& call : rig.window.calls) questions += call.rfind("AskAbout", 0) == 0;
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(rig.state.choicePending);
    EXPECT_FALSE(rig.window.editing);
}

// The question answered while the link is down again: either answer ends
// the hold, but editing waits for the link to come back.
TEST(LinkScenarioTest, AnAnswerWhileTheLinkIsDownLeavesEditingOff) {
    for (const bool loadItsValues : {true, false}) {
        SCOPED_TRACE(loadItsValues);
        LinkRig rig;
        rig.AnotherControllerComesBack(AllAt(60));
        ASSERT_TRUE(rig.state.choicePending);
        rig.ControllerFallsSilent();
        ASSERT_FALSE(rig.state.linkUp);
        if (loadItsValues) {
            ChooseControllerValues(rig.state, rig.panel, rig.window);
        } else {
            ChoosePanelValues(rig.state, rig.window);
        }
        EXPECT_FALSE(rig.state.choicePending);
        EXPECT_FALSE(rig.window.editing);
    }
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

    // A change not yet sent, then the link starts afresh with a controller
    // that reports its stored set.
    rig.panel[6] = 90;
    (rig.state.*c.reset)();
    rig.ControllerTalks(AllAt(100));
    rig.window.Clear();
    rig.now += 200;
    rig.Tick();
    ASSERT_TRUE(rig.state.linkUp);

    if (c.panelReloaded) {
        EXPECT_EQ(rig.SpinMoves(), 16);
        EXPECT_EQ(rig.panel[6], 100);
        EXPECT_EQ(rig.SendTicks(6), std::vector<std::string>(6, ""));
    } else {
        EXPECT_EQ(rig.SpinMoves(), 0);
        EXPECT_EQ(rig.panel[6], 90);
        EXPECT_EQ(rig.SendTicks(1), std::vector<std::string>{"AB 01 00 06 5A 0C"});
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
