// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The link as a window owns it: reads batched only once the frames are known
// by their content, a reopened port's stream read afresh, a found port taken
// over at the send tick.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/ControllerLink.h"
#include "tests/support/FakeChannel.h"
#include "tests/support/RecordingWindow.h"

namespace {

using Micros = FrameReader::Micros;

struct ControllerLinkRig {
    RecordingWindow window;
    FakeChannel channel;
    PanelParams panel{};
    std::uint32_t now = 0;
    ControllerLink link{window, channel, panel, [this] { return now; }, [] {}};
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

}  // namespace
