// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Frame slots on a 9600-baud line: absolute deadlines, no drift, no bursts after a stall.
#include <gtest/gtest.h>

#include "sim/FramePacer.h"

namespace {

using namespace std::chrono_literals;
using Time = FramePacer::Time;

TEST(FramePacer, SixBytesTake6250MicrosecondsOnTheLine) {
    EXPECT_EQ(FramePacer::lineTime(6), 6250us);
    EXPECT_EQ(FramePacer(6, 10ms).period(), 16250us);
}

TEST(FramePacer, FirstSlotIsDueAtStart) {
    FramePacer pacer(6, 10ms);
    EXPECT_FALSE(pacer.due(Time(5ms)));
    pacer.start(Time(5ms));
    EXPECT_TRUE(pacer.due(Time(5ms)));
}

TEST(FramePacer, LateWakeUpsDoNotAccumulate) {
    FramePacer pacer(6, 10ms);
    pacer.start(Time(0));
    // Each slot is sent 900 us late; the deadlines stay on the 16.25 ms grid.
    for (int slot = 1; slot <= 100; ++slot) {
        pacer.advance(pacer.deadline() + 900us);
        EXPECT_EQ(pacer.deadline(), slot * 16250us);
    }
}

TEST(FramePacer, AfterAStallTheScheduleRestartsInsteadOfBursting) {
    FramePacer pacer(6, 10ms);
    pacer.start(Time(0));
    pacer.advance(Time(100ms));
    EXPECT_EQ(pacer.deadline(), 100ms + 16250us);
}

TEST(FramePacer, WithoutGapSlotsNeverOverlapOnTheLine) {
    FramePacer pacer(6, 0ms);
    pacer.start(Time(0));
    pacer.advance(Time(3ms));  // late by less than a frame: catch up on the grid
    EXPECT_EQ(pacer.deadline(), 6250us + 3ms);
}

TEST(FramePacer, StartKeepsARunningSchedule) {
    FramePacer pacer(6, 10ms);
    pacer.start(Time(0));
    pacer.advance(Time(0));
    pacer.start(Time(1ms));
    EXPECT_EQ(pacer.deadline(), 16250us);
    pacer.stop();
    EXPECT_FALSE(pacer.due(Time(1s)));
}

}  // namespace
