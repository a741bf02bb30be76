// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include "link/CommandFrames.h"
#include "link/SendScheduler.h"
#include "tests/support/FakeChannel.h"
#include "tests/support/RecordingWindow.h"

namespace {

struct FrameCase {
    std::int32_t index;
    std::int32_t value;
    const char* bytes;
};

const FrameCase kFrameCases[] = {
    {0, 0, "AB 01 00 00 00 AC"},
    {3, 128, "AB 01 00 03 80 2F"},
    {7, 100, "AB 01 00 07 64 17"},
    {15, 255, "AB 01 00 0F FF BA"},
    {16, 0, "AB 02 48 07 1A 16"},
    // Any index whose low byte is above 15 means the store frame, value ignored.
    {16, 99, "AB 02 48 07 1A 16"},
    {255, 7, "AB 02 48 07 1A 16"},
    {0x110, 5, "AB 02 48 07 1A 16"},
    {-1, 5, "AB 02 48 07 1A 16"},
    // Only low bytes are used.
    {0x103, 0x180, "AB 01 00 03 80 2F"},
    {-253, -128, "AB 01 00 03 80 2F"},
    {15, -1, "AB 01 00 0F FF BA"},
    {7, 300, "AB 01 00 07 2C DF"},
    {0x7FFFFF0F, 0x12345664, "AB 01 00 0F 64 1F"},
};

class CommandFrameTest : public testing::TestWithParam<FrameCase> {};

TEST_P(CommandFrameTest, BuildsTheBytes) {
    const FrameCase& c = GetParam();
    const CommandFrame frame = BuildCommandFrame(c.index, c.value);
    EXPECT_EQ(FakeChannel::Hex(frame), c.bytes);
    EXPECT_EQ(FrameChecksum(frame), frame[5]);
}

TEST_P(CommandFrameTest, SendFrameWritesItOnceThenTurnsTheBarYellow) {
    const FrameCase& c = GetParam();
    LinkState state;
    RecordingWindow window;
    FakeChannel channel;
    std::vector<std::string> journal;
    window.journal = &journal;
    channel.journal = &journal;

    SendFrame(state, window, channel, c.index, c.value);

    const std::vector<std::string> expected = {std::string("Write(") + c.bytes + ")",
                                               "ShowStatusColour(FrameSent)"};
    EXPECT_EQ(journal, expected);
    EXPECT_EQ(state.sendHoldoff, 2);
}

INSTANTIATE_TEST_SUITE_P(CommandFrames, CommandFrameTest, testing::ValuesIn(kFrameCases));

// Each frame that went out is noted for the session's record with what it
// carried: the index and value as sent, or the store.
TEST(SendFrameTest, NotesEachFrameAsItWentOut) {
    struct Row {
        std::int32_t index;
        std::int32_t value;
        const char* note;
    };
    const Row rows[] = {{3, 128, "NoteParameterSent(3, 128)"},
                        {0x10F, 300, "NoteParameterSent(15, 44)"},
                        {16, 5, "NoteStoreSent()"}};
    for (const Row& row : rows) {
        LinkState state;
        RecordingWindow window;
        FakeChannel channel;
        SendFrame(state, window, channel, row.index, row.value);
        EXPECT_EQ(window.notes, std::vector<std::string>{row.note});
    }
}

TEST(FrameChecksumTest, SumsBytesZeroToFourModulo256) {
    EXPECT_EQ(FrameChecksum(CommandFrame{0xAB, 0x02, 0x48, 0x07, 0x1A, 0x00}), 0x16);
    EXPECT_EQ(FrameChecksum(CommandFrame{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}), 0xFB);
    EXPECT_EQ(FrameChecksum(CommandFrame{0, 0, 0, 0, 0, 0x99}), 0x00);
}

}  // namespace
