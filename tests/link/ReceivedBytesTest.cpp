#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "CommEvent.h"
#include "FakeChannel.h"
#include "LinkSnapshot.h"
#include "RecordingWindow.h"

namespace {

const std::vector<std::uint8_t> kFrame = {0x05, 0x0A, 0x3C, 0x5A, 0x00, 0x80};

TEST(HandleCommEventTest, ClosedChannelIsNotReadOrDiscarded) {
    LinkState state;
    FillEveryField(state);
    const LinkSnapshot before = TakeSnapshot(state);
    RecordingWindow window;
    FakeChannel channel;
    channel.open = false;
    channel.reads.push_back(kFrame);

    HandleCommEvent(state, window, channel);

    EXPECT_EQ(channel.CountOf("Read"), 0);
    EXPECT_EQ(channel.CountOf("DiscardInput"), 0);
    EXPECT_EQ(channel.reads.size(), 1u);
    EXPECT_EQ(TakeSnapshot(state), before);
    EXPECT_TRUE(window.calls.empty());
}

TEST(HandleCommEventTest, OtherEventCodesAreNotReadOrDiscarded) {
    for (std::int16_t code : {0, 1, 3, 4, 5, 6, 7, 1001, 1008, -1}) {
        SCOPED_TRACE(code);
        LinkState state;
        FillEveryField(state);
        const LinkSnapshot before = TakeSnapshot(state);
        RecordingWindow window;
        FakeChannel channel;
        channel.eventCode = code;
        channel.reads.push_back(kFrame);

        HandleCommEvent(state, window, channel);

        EXPECT_EQ(channel.CountOf("Read"), 0);
        EXPECT_EQ(channel.CountOf("DiscardInput"), 0);
        EXPECT_EQ(TakeSnapshot(state), before);
        EXPECT_TRUE(window.calls.empty());
    }
}

TEST(HandleCommEventTest, ShortReadIsDiscardedButNotDecoded) {
    for (std::size_t size = 0; size < 6; ++size) {
        SCOPED_TRACE(size);
        LinkState state;
        state.receivedMask = 0xFFFF;
        state.silenceTicks = 4;
        const LinkSnapshot before = TakeSnapshot(state);
        RecordingWindow window;
        FakeChannel channel;
        channel.reads.push_back(std::vector<std::uint8_t>(kFrame.begin(), kFrame.begin() + size));

        HandleCommEvent(state, window, channel);

        EXPECT_EQ(channel.CountOf("Read"), 1);
        EXPECT_EQ(channel.CountOf("DiscardInput"), 1);
        EXPECT_EQ(TakeSnapshot(state), before);
        EXPECT_TRUE(window.calls.empty());
    }
}

TEST(HandleCommEventTest, SixBytesAreStoredAfterTheInputIsDiscarded) {
    LinkState state;
    state.silenceTicks = 4;
    RecordingWindow window;
    FakeChannel channel;
    channel.reads.push_back(kFrame);
    // The frame is stored only once the rest of the input is gone.
    std::uint16_t maskAtDiscard = 0xAAAA;
    channel.onCall = [&](const std::string& call) {
        if (call == "DiscardInput") maskAtDiscard = state.receivedMask;
    };

    const auto start = std::chrono::steady_clock::now();
    HandleCommEvent(state, window, channel);
    const auto elapsed = std::chrono::steady_clock::now() - start;

    const std::vector<std::string> expected = {"IsOpen", "EventCode", "Read", "DiscardInput"};
    EXPECT_EQ(channel.calls, expected);
    EXPECT_GE(elapsed, std::chrono::milliseconds(5));
    EXPECT_EQ(state.receivedMask, 0x0020);
    EXPECT_EQ(state.deviceParams[5], 0x80);
    EXPECT_EQ(state.petrolRaw, 0x0A3C);
    EXPECT_EQ(state.lambdaRaw, 0x5A00);
    EXPECT_EQ(state.cellIndex, 10);
    EXPECT_EQ(state.silenceTicks, 0);
    // Stored, not complete: no readout changes.
    EXPECT_TRUE(window.calls.empty());
    EXPECT_EQ(maskAtDiscard, 0);
}

TEST(HandleCommEventTest, IgnoredIndexIsStillDiscarded) {
    LinkState state;
    state.receivedMask = 0xFFFF;
    state.silenceTicks = 3;
    RecordingWindow window;
    FakeChannel channel;
    channel.reads.push_back({0x10, 0x0A, 0x3C, 0x5A, 0x00, 0x80});

    HandleCommEvent(state, window, channel);

    EXPECT_EQ(channel.CountOf("DiscardInput"), 1);
    EXPECT_EQ(state.silenceTicks, 3);
    EXPECT_TRUE(window.calls.empty());
}

TEST(HandleCommEventTest, ReadoutsStayUntilTheSixteenthIndex) {
    // Fifteen distinct indices out of order, with repeats; index 12 comes last.
    const int order[] = {7, 0, 15, 7, 3, 1, 14, 2, 9, 2, 4, 13, 5, 6, 11, 8, 10};
    LinkState state;
    state.ResetForSearch();
    RecordingWindow window;
    FakeChannel channel;
    for (int index : order) {
        SCOPED_TRACE(index);
        channel.reads.push_back({static_cast<std::uint8_t>(index), 0x03, 0x10, 0x40, 0x00,
                                 static_cast<std::uint8_t>(index + 1)});
        HandleCommEvent(state, window, channel);
        EXPECT_TRUE(window.calls.empty());
        EXPECT_EQ(state.deviceParams[index], index + 1);
        EXPECT_EQ(state.petrolRaw, 0x0310);
    }
    EXPECT_EQ(state.receivedMask, 0xEFFF);

    channel.reads.push_back({12, 0x03, 0x10, 0x40, 0x00, 13});
    HandleCommEvent(state, window, channel);

    EXPECT_EQ(state.receivedMask, 0xFFFF);
    EXPECT_EQ(window.texts[1002], "3,136");
    EXPECT_EQ(window.texts[1007], "1,25");
    EXPECT_EQ(window.visible[1023], true);
    // Cell 3: 3072 + 14 * 4 + ((14 * (5 - 4) + 1024) * 16) / 256 = 3192.
    EXPECT_EQ(window.texts[1005], "3,192");
    EXPECT_EQ(state.gasTimeUs, 3192);
}

}  // namespace
