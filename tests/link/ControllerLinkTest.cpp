// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The link as its owner sees it: the panel is its own, changed only through
// a command that checks its input, and cleared with the display where the
// panel never came from this controller; reads batched only once the frames
// are known by their content, a reopened port's stream read afresh, a found
// port taken over at the send tick.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/ControllerLink.h"
#include "link/Telemetry.h"
#include "tests/support/FakeChannel.h"
#include "tests/support/RecordingWindow.h"

namespace {

using Micros = FrameReader::Micros;

struct ControllerLinkRig {
    RecordingWindow window;
    FakeChannel channel;
    std::uint32_t now = 0;
    ControllerLink link{window, channel, [this] { return now; }, [] {}};
    Micros at = 0;

    ControllerLinkRig() { link.OnPortOpened(at); }

    // The controller's frames for indices 0, 1, ... in turn, each after the
    // line was idle for `idle`, one read per byte as it arrives.
    void Receive(int frames, Micros idle) {
        for (int i = 0; i < frames; ++i, ++index_) {
            at += idle;
            const int k = index_ % 16;
            const std::uint8_t frame[] = {static_cast<std::uint8_t>(k),      0x01, 0x00, 0x80, 0x00,
                                          static_cast<std::uint8_t>(100 + k)};
            for (const std::uint8_t& byte : frame) {
                at += FrameReader::kByteTimeUs;
                link.OnBytesReceived(std::span(&byte, 1), at);
            }
        }
    }

private:
    int index_ = 0;
};

// Whether or not pauses mark the frames, the reads are batched only from the
// read that completes the frame repeating an index (the seventeenth), never
// before: until then the time of each byte may still be needed.
TEST(ControllerLinkTest, ReadsAreBatchedOnlyOnceTheFramesAreKnownByTheirContent) {
    for (const Micros idle : {Micros{0}, Micros{5'000}}) {
        SCOPED_TRACE(idle);
        ControllerLinkRig rig;
        rig.Receive(40, idle);
        std::vector<bool> expected(16 * 6 + 5, false);
        expected.resize(40 * 6, true);
        EXPECT_EQ(rig.channel.batchedReads, expected);
    }
}

// A port opened again starts a new stream: its bytes are read one by one
// until its frames are known by their content in turn.
TEST(ControllerLinkTest, AReopenedPortIsReadByteByByteAgain) {
    ControllerLinkRig rig;
    rig.Receive(40, 0);
    ASSERT_TRUE(rig.link.Reader().LockedOnContent());
    rig.channel.batchedReads.clear();
    rig.at += 1'000'000;
    rig.link.OnPortOpened(rig.at);
    rig.Receive(2, 0);
    EXPECT_EQ(rig.channel.batchedReads, std::vector<bool>(12, false));
}

TEST(ControllerLinkTest, TheSendTickOpensThePortTheSearchFound) {
    ControllerLinkRig rig;
    rig.channel.open = false;
    rig.link.OnPortFound(4);
    rig.link.OnSendTick();
    const std::vector<std::string> expected = {"SetPortNumber(4)", "IsOpen", "Open"};
    EXPECT_EQ(rig.channel.calls, expected);
}

struct LinkOwnerRig {
    RecordingWindow window;
    FakeChannel channel;
    std::uint32_t now = 1000;
    ControllerLink link{window, channel, [this] { return now; }, [] {}};

    // Two rounds of every index at 60, then a supervision tick: up and loaded.
    void BringUp() {
        for (int round = 0; round < 2; ++round) {
            for (std::uint8_t k = 0; k < kParamCount; ++k) {
                const std::uint8_t frame[] = {k, 0x01, 0x00, 0x80, 0x00, 60};
                link.OnBytesReceived(frame, 1'000'000 + (round * 16 + k) * 10'000);
            }
        }
        link.OnSupervisionTick();
    }
};

TEST(ControllerLinkTest, SetPanelValueTakesOnlyAParameterAndAByte) {
    struct Row {
        int k;
        std::int32_t value;
        bool taken;
    };
    const Row rows[] = {{0, 1, true},   {15, 255, true}, {3, 256, false},      {3, -1, false},
                        {-1, 5, false}, {16, 5, false},  {7, 65536 + 7, false}};
    for (const Row& row : rows) {
        LinkOwnerRig rig;
        SCOPED_TRACE(std::to_string(row.k) + " = " + std::to_string(row.value));
        EXPECT_EQ(rig.link.SetPanelValue(row.k, row.value), row.taken);
        PanelParams expected{};
        if (row.taken) expected[static_cast<std::size_t>(row.k)] = row.value;
        EXPECT_EQ(rig.link.Panel(), expected);
        const std::vector<std::string> told =
            row.taken ? std::vector<std::string>{"ShowParameter(" + std::to_string(row.k) + ", " +
                                                 std::to_string(row.value) + ")"}
                      : std::vector<std::string>{};
        EXPECT_EQ(rig.window.calls, told);
    }
}

// A port chosen by hand starts the panel afresh at 0 until the controller
// loads it; OFFLINE and a loss keep it.
TEST(ControllerLinkTest, APortCommandClearsThePanelWhereItWillBeLoadedAgain) {
    struct Row {
        const char* name;
        void (*command)(ControllerLink&);
        std::int32_t after;
    };
    const Row rows[] = {
        {"COM3", [](ControllerLink& link) { link.SelectPort(3); }, 0},
        {"OFFLINE", [](ControllerLink& link) { link.GoOffline(); }, 61},
        {"device gone", [](ControllerLink& link) { link.OnDeviceGone(); }, 61},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LinkOwnerRig rig;
        rig.BringUp();
        ASSERT_TRUE(rig.link.IsUp());
        ASSERT_TRUE(rig.link.SetPanelValue(4, 61));
        row.command(rig.link);
        EXPECT_FALSE(rig.link.IsUp());
        EXPECT_EQ(rig.link.PanelValue(4), row.after);
        EXPECT_EQ(rig.window.parameters[4], row.after);
    }
}

// Unstored changes are the panel against the stored set of the controller
// that loaded it, and go once a store has gone out after their echoes.
TEST(ControllerLinkTest, UnstoredUntilStoredAfterTheEcho) {
    LinkOwnerRig rig;
    rig.BringUp();
    EXPECT_EQ(rig.link.Unstored(), 0);
    rig.link.SetPanelValue(12, 70);
    EXPECT_EQ(rig.link.Unstored(), 0x1000);
    rig.link.RequestStoreOfPanel();
    EXPECT_FALSE(rig.link.PanelStored());
    rig.link.OnSendTick();
    const std::uint8_t echo[] = {12, 0x01, 0x00, 0x80, 0x00, 70};
    rig.link.OnBytesReceived(echo, 2'000'000);
    for (int tick = 0; tick < 3; ++tick) rig.link.OnSendTick();
    EXPECT_EQ(rig.channel.WrittenHex(),
              (std::vector<std::string>{"AB 01 00 0C 46 FE", "AB 02 48 07 1A 16"}));
    EXPECT_TRUE(rig.link.PanelStored());
    EXPECT_EQ(rig.link.Unstored(), 0);
}

// The link's owner hears of the link coming up and going down once each,
// whichever command or event made it, and not when nothing changed.
TEST(ControllerLinkTest, TellsTheLinkUpAndDownOnceWhateverMadeIt) {
    const auto toldUpDown = [](const RecordingWindow& window) {
        std::vector<std::string> told;
        for (const std::string& call : window.calls) {
            if (call.starts_with("NoteLinkUp")) told.push_back(call);
        }
        return told;
    };
    struct Row {
        const char* name;
        void (*command)(ControllerLink&);
    };
    const Row rows[] = {
        {"COM3", [](ControllerLink& link) { link.SelectPort(3); }},
        {"OFFLINE", [](ControllerLink& link) { link.GoOffline(); }},
        {"AUTO", [](ControllerLink& link) { link.StartAutoSearch(); }},
        {"device gone", [](ControllerLink& link) { link.OnDeviceGone(); }},
        {"silence",
         [](ControllerLink& link) {
             for (int tick = 0; tick < 10; ++tick) link.OnSupervisionTick();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LinkOwnerRig rig;
        rig.BringUp();
        rig.link.OnSendTick();
        EXPECT_EQ(toldUpDown(rig.window), std::vector<std::string>{"NoteLinkUp(up)"});
        rig.window.Clear();
        row.command(rig.link);
        row.command(rig.link);
        ASSERT_FALSE(rig.link.IsUp());
        EXPECT_EQ(toldUpDown(rig.window), std::vector<std::string>{"NoteLinkUp(down)"});
    }
}

}  // namespace
