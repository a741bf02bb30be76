// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include <vector>

#include "tests/link/ReceivedBytes.h"
#include "tests/support/LinkSnapshot.h"
#include "tests/support/RecordingWindow.h"

namespace {

TEST(ReceivedBytesTest, AFrameIsStoredAsItCompletes) {
    LinkState state;
    state.silenceTicks = 4;
    RecordingWindow window;
    FrameReader reader;
    reader.Reset(0);
    const std::vector<std::uint8_t> frame = {0x05, 0x0A, 0x3C, 0x5A, 0x00, 0x80};

    HandleReceivedBytes(state, window, reader, std::span(frame).first(4), 100'000);
    EXPECT_EQ(state.receivedMask, 0);
    HandleReceivedBytes(state, window, reader, std::span(frame).last(2), 102'100);

    EXPECT_EQ(state.receivedMask, 0x0020);
    EXPECT_EQ(state.deviceParams[5], 0x80);
    EXPECT_EQ(state.petrolRaw, 0x0A3C);
    EXPECT_EQ(state.lambdaRaw, 0x5A00);
    EXPECT_EQ(state.cellIndex, 10);
    EXPECT_EQ(state.silenceTicks, 0);
    // Stored, not complete: no readout changes.
    EXPECT_TRUE(window.calls.empty());
}

TEST(ReceivedBytesTest, AnIgnoredIndexChangesNothing) {
    LinkState state;
    FillEveryField(state);
    state.receivedMask = 0xFFFF;
    const LinkSnapshot before = TakeSnapshot(state);
    RecordingWindow window;

    ReceiveAfterPause(state, window, {0x10, 0x0A, 0x3C, 0x5A, 0x00, 0x80});

    EXPECT_EQ(TakeSnapshot(state), before);
    EXPECT_TRUE(window.calls.empty());
}

TEST(ReceivedBytesTest, ReadoutsStayUntilTheSixteenthIndex) {
    // Fifteen distinct indices out of order, with repeats; index 12 comes last.
    const int order[] = {7, 0, 15, 7, 3, 1, 14, 2, 9, 2, 4, 13, 5, 6, 11, 8, 10};
    LinkState state;
    state.ResetForSearch();
    RecordingWindow window;
    for (int index : order) {
        SCOPED_TRACE(index);
        ReceiveAfterPause(state, window,
                          {static_cast<std::uint8_t>(index), 0x03, 0x10, 0x40, 0x00,
                           static_cast<std::uint8_t>(index + 1)});
        EXPECT_TRUE(window.calls.empty());
        EXPECT_EQ(state.deviceParams[index], index + 1);
        EXPECT_EQ(state.petrolRaw, 0x0310);
    }
    EXPECT_EQ(state.receivedMask, 0xEFFF);

    ReceiveAfterPause(state, window, {12, 0x03, 0x10, 0x40, 0x00, 13});

    EXPECT_EQ(state.receivedMask, 0xFFFF);
    EXPECT_EQ(window.readouts.petrolText, "3,136");
    EXPECT_EQ(window.readouts.lambdaText, "1,25");
    EXPECT_EQ(window.marker, 3);
    // Cell 3: 3072 + 14 * 4 + ((14 * (5 - 4) + 1024) * 16) / 256 = 3192.
    EXPECT_EQ(window.readouts.gasText, "3,192");
    EXPECT_EQ(state.gasTimeUs, 3192);
}

}  // namespace
