// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include "link/CommandFrames.h"
#include "link/SendScheduler.h"
#include "link/StoredSet.h"
#include "link/Telemetry.h"
#include "tests/support/FakeChannel.h"
#include "tests/support/RecordingWindow.h"

namespace {

PanelParams Filled(std::int32_t value) {
    PanelParams params{};
    params.fill(value);
    return params;
}

// Up, with the panel loaded from a controller that reports and stored 40.
struct StoredRig {
    LinkState state;
    PanelParams panel = Filled(40);
    RecordingWindow window;
    FakeChannel channel;

    StoredRig() {
        state.linkUp = state.panelLoaded = true;
        for (int k = 0; k < kParamCount; ++k) state.deviceParams[k] = state.storedParams[k] = 40;
    }
    // The controller echoes each value sent before the next tick.
    void SendTicks(int count) {
        for (int i = 0; i < count; ++i) {
            const std::size_t before = channel.written.size();
            SendTick(state, panel, window, channel);
            if (channel.written.size() == before) continue;
            const std::vector<std::uint8_t>& frame = channel.written.back();
            if (frame == std::vector(kStoreFrame.begin(), kStoreFrame.end())) continue;
            const std::uint8_t k = frame[kFrameIndexByte];
            ApplyTelemetryFrame(state,
                                TelemetryFrame{k, 0x01, 0x00, 0x80, 0x00, state.deviceParams[k]});
        }
    }
    bool StorePending() const { return state.writeRequested || state.followUpStore; }
};

TEST(StoredSetTest, UnstoredParams) {
    struct Row {
        const char* name;
        bool panelLoaded;
        int k;
        std::int32_t panelValue;
        ParamMask expected;
    };
    const Row rows[] = {
        {"the panel as stored", true, 3, 40, 0},
        {"one change", true, 15, 41, 0x8000},
        // 296 has the low byte 40, but the whole value is compared.
        {"out of range", true, 7, 296, 0x0080},
        {"nothing known before a link-up", false, 3, 41, 0},
    };
    for (const Row& row : rows) {
        StoredRig rig;
        rig.state.panelLoaded = row.panelLoaded;
        rig.panel[row.k] = row.panelValue;
        EXPECT_EQ(UnstoredParams(rig.state, rig.panel), row.expected) << row.name;
    }
}

// The count the window gives of unstored parameters, the last one included.
TEST(StoredSetTest, CountParams) {
    struct Row {
        ParamMask mask;
        int count;
    };
    const Row rows[] = {{0x0000, 0}, {0x0001, 1}, {0x8000, 1}, {0x8001, 2}, {0xFFFF, 16}};
    for (const Row& row : rows) EXPECT_EQ(CountParams(row.mask), row.count) << row.mask;
}

// With the panel as stored and no Write pressed, nothing is on its way.
TEST(StoredSetTest, NothingWaitingIsNoTicksAway) {
    StoredRig rig;
    EXPECT_EQ(TicksUntilSent(rig.state, rig.panel), 0);
    rig.SendTicks(10);
    EXPECT_TRUE(rig.channel.written.empty());
}

// Write pressed while a change waits: the store that goes out first leaves it
// unstored, the one that follows it keeps it, the last parameter too.
TEST(StoredSetTest, TheLastStoreCounts) {
    for (const int k : {0, 5, 15}) {
        SCOPED_TRACE(k);
        StoredRig rig;
        rig.panel[k] = 41;
        RequestWrite(rig.state);
        rig.SendTicks(4);
        EXPECT_EQ(rig.state.deviceParams[k], 41);
        EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 1 << k);
        rig.SendTicks(3);
        EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 0);
        EXPECT_EQ(rig.state.storedParams[k], 41);
    }
}

// The store of the panel follows the waiting values, on the very tick that
// TicksUntilSent foretells.
// The store of the panel follows the waiting values, on the very tick that
// TicksUntilSent foretells, and so does the store that follows a Write
// pressed while values wait. Every frame written is as it should be.
TEST(StoredSetTest, StoreOfThePanelGoesOutWhenForetold) {
    const char* const store = "AB 02 48 07 1A 16";
    struct Row {
        const char* name;
        std::vector<int> changed;  // parameters set to 50
        bool writePressed;
        bool storeOfPanel;  // else Write alone
        std::uint8_t holdoff;
        std::vector<std::string> frames;
    };
    const Row rows[] = {
        {"nothing waits", {}, false, true, 0, {store}},
        {"held off", {}, false, true, 2, {store}},
        {"two changes, Write pressed, held off",
         {0, 1},
         true,
         true,
         1,
         {store, "AB 01 00 00 32 DE", "AB 01 00 01 32 DF", store}},
        {"the last parameter changed", {15}, false, true, 0, {"AB 01 00 0F 32 ED", store}},
        {"Write pressed, the last parameter changed",
         {15},
         true,
         false,
         0,
         {store, "AB 01 00 0F 32 ED", store}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StoredRig rig;
        for (const int k : row.changed) rig.panel[k] = 50;
        rig.state.writeRequested = row.writePressed;
        rig.state.sendHoldoff = row.holdoff;
        if (row.storeOfPanel) RequestStoreOfPanel(rig.state, rig.panel);
        rig.SendTicks(TicksUntilSent(rig.state, rig.panel) - 1);
        EXPECT_TRUE(rig.StorePending());
        EXPECT_FALSE(PanelStored(rig.state, rig.panel));
        rig.SendTicks(1);
        EXPECT_FALSE(rig.StorePending());
        EXPECT_TRUE(PanelStored(rig.state, rig.panel));
        EXPECT_EQ(rig.channel.WrittenHex(), row.frames);
        EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 0);
    }
}

// A value sent a moment ago may still come back unchanged: the store of the
// panel waits for its echo, and one that reports the old value sends it again
// before anything is stored.
TEST(StoredSetTest, AStoreOfThePanelWaitsForTheEchoOfAValueJustSent) {
    StoredRig rig;
    rig.panel[3] = 41;
    SendTick(rig.state, rig.panel, rig.window, rig.channel);
    RequestStoreOfPanel(rig.state, rig.panel);
    EXPECT_FALSE(rig.state.writeRequested);
    EXPECT_TRUE(rig.state.followUpStore);

    // An echo of the old value, already on its way when the frame went out.
    ApplyTelemetryFrame(rig.state, TelemetryFrame{3, 0x01, 0x00, 0x80, 0x00, 40});
    EXPECT_FALSE(PanelStored(rig.state, rig.panel));
    rig.SendTicks(6);
    const std::vector<std::string> expected = {"AB 01 00 03 29 D8", "AB 01 00 03 29 D8",
                                               "AB 02 48 07 1A 16"};
    EXPECT_EQ(rig.channel.WrittenHex(), expected);
    EXPECT_TRUE(PanelStored(rig.state, rig.panel));
    EXPECT_EQ(rig.state.storedParams[3], 41);
}

// Which parameters say the controller that came back is another one: only
// those without an unstored change, and only where the stored set differs.
TEST(StoredSetTest, ParamsOfAnotherController) {
    struct Row {
        const char* name;
        std::int32_t panel;
        std::uint8_t reported;
        bool another;
    };
    const Row rows[] = {
        {"the stored value", 40, 40, false},
        {"another value, nothing unstored", 40, 39, true},
        {"the unstored value, still held", 41, 41, false},
        {"the stored value, the change forgotten", 41, 40, false},
        {"another value where a change is unstored", 41, 7, false},
    };
    for (const Row& row : rows) {
        for (const int k : {0, 9, 15}) {
            StoredRig rig;
            rig.panel[k] = row.panel;
            rig.state.deviceParams[k] = row.reported;
            EXPECT_EQ(ParamsOfAnotherController(rig.state, rig.panel), row.another ? 1 << k : 0)
                << row.name << ", parameter " << k;
        }
    }
}

// A record is whole with every value 0..255, and was made on the controller
// whose loaded values match its stored set outside its unstored parameters.
TEST(StoredSetTest, RecordWholeAndMadeOnThisController) {
    struct Row {
        const char* name;
        std::int32_t panel15;
        std::int32_t stored15;
        std::int32_t loaded15;
        bool whole;
        bool sameController;
    };
    const Row rows[] = {
        {"unstored change, controller restarted", 41, 40, 40, true, true},
        {"unstored change, controller holds it", 41, 40, 41, true, true},
        {"stored set differs", 40, 40, 39, true, false},
        {"stored 255, loaded 255", 255, 255, 255, true, true},
        {"panel 0, stored 0", 0, 0, 0, true, true},
        {"panel 300", 300, 40, 40, false, true},
        // Not whole: never offered, whatever the controller.
        {"stored -1", 40, -1, 40, false, true},
        {"stored 65656", 40, 65656, 40, false, true},
    };
    for (const Row& row : rows) {
        UnstoredRecord record{Filled(40), Filled(40)};
        record.panel[15] = row.panel15;
        record.stored[15] = row.stored15;
        PanelParams loaded = Filled(40);
        loaded[15] = row.loaded15;
        EXPECT_EQ(IsWhole(record), row.whole) << row.name;
        EXPECT_EQ(MadeOnThisController(record, loaded), row.sameController) << row.name;
    }
}

TEST(StoredSetTest, ParamsToRestore) {
    struct Row {
        const char* name;
        std::int32_t saved;
        std::int32_t linked;
        ParamMask expected;
    };
    const Row rows[] = {
        {"a change the controller lost", 41, 40, 0x0008},
        {"a change the controller holds", 41, 41, 0},
        {"no change, the controller differs", 40, 55, 0},
    };
    for (const Row& row : rows) {
        UnstoredRecord record{Filled(40), Filled(40)};
        record.panel[3] = row.saved;
        PanelParams linked = Filled(40);
        linked[3] = row.linked;
        EXPECT_EQ(ParamsToRestore(record, linked), row.expected) << row.name;
    }
}

}  // namespace
