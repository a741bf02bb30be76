// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/SendScheduler.h"
#include "link/Telemetry.h"
#include "tests/support/FakeChannel.h"
#include "tests/support/LinkSnapshot.h"
#include "tests/support/RecordingWindow.h"

namespace {

const char* const kStore = "AB 02 48 07 1A 16";

// A link that is up, with the controller and the panel both at 100 everywhere.
struct SendRig {
    LinkState state;
    PanelParams panel{};
    RecordingWindow window;
    FakeChannel channel;

    SendRig() {
        state.linkUp = true;
        for (int k = 0; k < kParamCount; ++k) {
            state.deviceParams[k] = 100;
            panel[k] = 100;
        }
    }

    // The frame a tick wrote, or "" when it wrote none.
    std::string Tick() {
        const std::size_t before = channel.written.size();
        SendTick(state, panel, window, channel);
        EXPECT_LE(channel.written.size(), before + 1);
        return channel.written.size() == before ? "" : FakeChannel::Hex(channel.written.back());
    }

    std::vector<std::string> Ticks(int count) {
        std::vector<std::string> frames;
        for (int i = 0; i < count; ++i) frames.push_back(Tick());
        return frames;
    }

    // The controller reports parameter k as it holds it now.
    void Echo(int k) {
        ApplyTelemetryFrame(state, TelemetryFrame{static_cast<std::uint8_t>(k), 0x01, 0x00, 0x80,
                                                  0x00, state.deviceParams[k]});
    }
};

// A frame that did not reach the line, whether the channel says so or fails
// with an error, is not recorded as sent: the value goes out again, a store
// stays wanted and is not taken as stored, and nothing is paced or noted.
TEST(SendTickTest, AFrameNotWrittenIsNotRecorded) {
    struct Row {
        const char* name;
        bool throws;
        bool store;
    };
    const Row rows[] = {
        {"parameter, device gone", false, false},
        {"parameter, write error", true, false},
        {"store, device gone", false, true},
        {"store, write error", true, true},
    };
    for (const Row& row : rows) {
        SendRig rig;
        rig.panel[5] = 130;
        rig.state.storedParams.fill(100);
        if (row.store) RequestWrite(rig.state);
        rig.channel.loseWrites = !row.throws;
        rig.channel.failWrite = row.throws;
        if (row.throws) {
            EXPECT_THROW(rig.Tick(), ChannelError) << row.name;
        } else {
            EXPECT_EQ(rig.Tick(), "") << row.name;
        }
        EXPECT_EQ(rig.state.deviceParams[5], 100) << row.name;
        EXPECT_EQ(rig.state.unechoedMask, 0) << row.name;
        EXPECT_EQ(rig.state.writeRequested, row.store) << row.name;
        EXPECT_EQ(rig.state.storedParams[5], 100) << row.name;
        EXPECT_EQ(rig.state.sendHoldoff, 0) << row.name;
        EXPECT_EQ(rig.window.calls, std::vector<std::string>{"ShowStatusColour(LinkUp)"})
            << row.name;
        EXPECT_TRUE(rig.window.notes.empty()) << row.name;

        rig.channel.loseWrites = rig.channel.failWrite = false;
        EXPECT_EQ(rig.Tick(), row.store ? kStore : "AB 01 00 05 82 33") << row.name;
    }
}

TEST(SendTickTest, PacingTable) {
    struct Row {
        int holdoffAtStart;
        std::vector<std::string> windowCalls;
        int holdoffAfter;
        const char* frame;
    };
    const std::string blue = "ShowStatusColour(LinkUp)";
    const std::string yellow = "ShowStatusColour(FrameSent)";
    const Row rows[] = {
        {0, {blue, yellow}, 2, "AB 01 00 03 80 2F"},  // tick n
        {2, {blue}, 1, ""},
        {1, {blue}, 0, ""},
        {0, {blue, yellow}, 2, "AB 01 00 07 64 17"},  // tick n + 3
        {2, {blue}, 1, ""},
        {1, {blue}, 0, ""},
        {0, {blue}, 0, ""},  // nothing differs any more
    };
    SendRig rig;
    rig.panel[3] = 128;
    rig.state.deviceParams[7] = 0;
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE("tick n + " + std::to_string(n++));
        EXPECT_EQ(rig.state.sendHoldoff, row.holdoffAtStart);
        rig.window.Clear();
        EXPECT_EQ(rig.Tick(), row.frame);
        EXPECT_EQ(rig.window.calls, row.windowCalls);
        EXPECT_EQ(rig.state.sendHoldoff, row.holdoffAfter);
    }
    EXPECT_EQ(rig.state.deviceParams[3], 128);
    EXPECT_EQ(rig.state.deviceParams[7], 100);
}

// The store keeps its place before the waiting parameters; a second store
// after them makes the stored set what the window shows, once the controller
// has echoed every value sent (a value it did not take would go out again).
TEST(SendTickTest, StoreGoesBeforeWaitingParametersAndAgainAfterTheirEchoes) {
    SendRig rig;
    rig.panel[0] = 1;
    rig.panel[1] = 2;
    RequestWrite(rig.state);
    EXPECT_TRUE(rig.state.writeRequested);

    const std::vector<std::string> expected = {
        kStore, "", "", "AB 01 00 00 01 AD", "", "", "AB 01 00 01 02 AF", "", "", "", "", ""};
    EXPECT_EQ(rig.Ticks(12), expected);
    EXPECT_FALSE(rig.state.writeRequested);
    EXPECT_TRUE(rig.state.followUpStore);
    EXPECT_EQ(rig.state.unechoedMask, 0x0003);

    rig.Echo(0);
    EXPECT_EQ(rig.Tick(), "");
    rig.Echo(1);
    EXPECT_EQ(rig.Ticks(3), (std::vector<std::string>{kStore, "", ""}));
    EXPECT_FALSE(rig.state.followUpStore);
    EXPECT_EQ(rig.channel.WrittenHex().size(), 4u);
}

// Nothing waiting: one store, as always.
TEST(SendTickTest, NothingWaitingMeansOneStore) {
    SendRig rig;
    RequestWrite(rig.state);
    const std::vector<std::string> expected = {kStore, "", "", "", "", ""};
    EXPECT_EQ(rig.Ticks(6), expected);
}

TEST(SendTickTest, SeveralWritePressesSendOneStoreFrame) {
    SendRig rig;
    RequestWrite(rig.state);
    RequestWrite(rig.state);
    rig.Tick();  // the store goes out here
    RequestWrite(rig.state);
    EXPECT_EQ(rig.channel.WrittenHex(), std::vector<std::string>{kStore});

    // A press after the store went out asks for another one.
    const std::vector<std::string> expected = {"", "", kStore, "", "", "", ""};
    EXPECT_EQ(rig.Ticks(7), expected);
    EXPECT_EQ(rig.channel.written.size(), 2u);
}

TEST(SendTickTest, RepeatedPressesBeforeTheStoreSendOnlyOne) {
    SendRig rig;
    rig.state.sendHoldoff = 2;
    for (int i = 0; i < 3; ++i) {
        RequestWrite(rig.state);
        rig.Tick();
    }
    EXPECT_EQ(rig.Ticks(9), std::vector<std::string>(9, ""));
    EXPECT_EQ(rig.channel.WrittenHex(), std::vector<std::string>{kStore});
}

TEST(SendTickTest, LowestDifferingIndexFirst) {
    SendRig rig;
    rig.panel[9] = 9;
    rig.panel[14] = 14;
    rig.panel[2] = 2;
    rig.panel[15] = 15;
    const std::vector<std::string> expected = {"AB 01 00 02 02 B0",
                                               "",
                                               "",
                                               "AB 01 00 09 09 BE",
                                               "",
                                               "",
                                               "AB 01 00 0E 0E C8",
                                               "",
                                               "",
                                               "AB 01 00 0F 0F CA",
                                               "",
                                               "",
                                               ""};
    EXPECT_EQ(rig.Ticks(13), expected);
}

TEST(SendTickTest, ChangedAndChangedBackIsNotSent) {
    SendRig rig;
    rig.panel[1] = 50;
    rig.panel[4] = 60;
    EXPECT_EQ(rig.Tick(), "AB 01 00 01 32 DF");
    rig.Tick();
    rig.panel[4] = 100;
    EXPECT_EQ(rig.Ticks(12), std::vector<std::string>(12, ""));
    EXPECT_EQ(rig.channel.written.size(), 1u);
}

struct OutOfRangeCase {
    std::int32_t panelValue;
    const char* frame;
    std::uint8_t lowByte;
};

class OutOfRangePanelTest : public testing::TestWithParam<OutOfRangeCase> {};

TEST_P(OutOfRangePanelTest, LowByteGoesOutAtEveryFreeSlotAndHoldsHigherIndices) {
    const OutOfRangeCase& c = GetParam();
    SendRig rig;
    rig.panel[2] = c.panelValue;
    rig.panel[5] = 7;
    for (int slot = 0; slot < 4; ++slot) {
        SCOPED_TRACE(slot);
        const std::vector<std::string> expected = {c.frame, "", ""};
        EXPECT_EQ(rig.Ticks(3), expected);
        EXPECT_EQ(rig.state.deviceParams[2], c.lowByte);
    }
    // Once the panel holds the byte itself, parameter 5 gets its turn.
    rig.panel[2] = c.lowByte;
    EXPECT_EQ(rig.Tick(), "AB 01 00 05 07 B8");
}

INSTANTIATE_TEST_SUITE_P(SendTick, OutOfRangePanelTest,
                         testing::Values(OutOfRangeCase{300, "AB 01 00 02 2C DA", 44},
                                         OutOfRangeCase{256, "AB 01 00 02 00 AE", 0},
                                         OutOfRangeCase{-1, "AB 01 00 02 FF AD", 255}));

TEST(SendTickTest, EchoOfTheOldValueSendsItAgainAfterLowerIndices) {
    SendRig rig;
    rig.panel[3] = 128;
    EXPECT_EQ(rig.Tick(), "AB 01 00 03 80 2F");
    EXPECT_EQ(rig.state.deviceParams[3], 128);

    // The controller has not applied it yet and still reports 100.
    ApplyTelemetryFrame(rig.state, TelemetryFrame{3, 0x01, 0x00, 0x80, 0x00, 100});
    EXPECT_EQ(rig.state.deviceParams[3], 100);
    rig.panel[1] = 5;

    const std::vector<std::string> expected = {"", "", "AB 01 00 01 05 B2",
                                               "", "", "AB 01 00 03 80 2F"};
    EXPECT_EQ(rig.Ticks(6), expected);

    // Now the echo confirms it: nothing more to send.
    ApplyTelemetryFrame(rig.state, TelemetryFrame{3, 0x01, 0x00, 0x80, 0x00, 128});
    EXPECT_EQ(rig.Ticks(6), std::vector<std::string>(6, ""));
}

TEST(SendTickTest, DoesNothingAtAllWhileTheLinkIsDown) {
    for (std::uint8_t holdoff : {0, 1, 2}) {
        SCOPED_TRACE(int{holdoff});
        SendRig rig;
        rig.state.linkUp = false;
        rig.state.sendHoldoff = holdoff;
        rig.panel[0] = 1;
        RequestWrite(rig.state);
        const LinkSnapshot before = TakeSnapshot(rig.state);

        EXPECT_EQ(rig.Ticks(10), std::vector<std::string>(10, ""));

        EXPECT_TRUE(rig.window.calls.empty());
        EXPECT_TRUE(rig.channel.calls.empty());
        EXPECT_EQ(TakeSnapshot(rig.state), before);
    }
}

struct ResetKind {
    const char* name;
    void (LinkState::*reset)();
};

class WriteOverResetTest : public testing::TestWithParam<ResetKind> {};

TEST_P(WriteOverResetTest, PendingStoreIsTheFirstFrameOnceTheLinkIsBack) {
    SendRig rig;
    rig.panel[6] = 1;
    EXPECT_EQ(rig.Tick(), "AB 01 00 06 01 B3");
    RequestWrite(rig.state);  // pressed while the holdoff still runs
    rig.panel[8] = 2;

    (rig.state.*GetParam().reset)();
    EXPECT_FALSE(rig.state.linkUp);
    EXPECT_EQ(rig.Ticks(5), std::vector<std::string>(5, ""));
    EXPECT_TRUE(rig.state.writeRequested);
    EXPECT_EQ(rig.state.sendHoldoff, 2);

    rig.state.linkUp = true;
    const std::vector<std::string> expected = {"", "", kStore, "", "", "AB 01 00 08 02 B6"};
    EXPECT_EQ(rig.Ticks(6), expected);
}

INSTANTIATE_TEST_SUITE_P(SendTick, WriteOverResetTest,
                         testing::Values(ResetKind{"LinkLoss", &LinkState::ResetForLinkLoss},
                                         ResetKind{"PortChange", &LinkState::ResetForPortChange},
                                         ResetKind{"Offline", &LinkState::ResetForOffline},
                                         ResetKind{"Search", &LinkState::ResetForSearch}),
                         [](const testing::TestParamInfo<ResetKind>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
