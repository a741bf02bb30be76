// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include "link/SendScheduler.h"
#include "link/StoredSet.h"
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
    void SendTicks(int count) {
        for (int i = 0; i < count; ++i) SendTick(state, panel, window, channel);
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

// Write pressed while a change waits: the store that goes out first leaves it
// unstored, the one that follows it keeps it.
TEST(StoredSetTest, TheLastStoreCounts) {
    StoredRig rig;
    rig.panel[5] = 41;
    RequestWrite(rig.state);
    rig.SendTicks(4);
    EXPECT_EQ(rig.state.deviceParams[5], 41);
    EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 0x0020);
    rig.SendTicks(3);
    EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 0);
}

// The store of the panel follows the waiting values, on the very tick that
// TicksUntilSent foretells.
TEST(StoredSetTest, StoreOfThePanelGoesOutWhenForetold) {
    struct Row {
        const char* name;
        int changes;
        bool writePressed;
        std::uint8_t holdoff;
    };
    const Row rows[] = {
        {"nothing waits", 0, false, 0},
        {"held off", 0, false, 2},
        {"two changes, Write pressed, held off", 2, true, 1},
    };
    for (const Row& row : rows) {
        StoredRig rig;
        for (int k = 0; k < row.changes; ++k) rig.panel[k] = 50 + k;
        rig.state.writeRequested = row.writePressed;
        rig.state.sendHoldoff = row.holdoff;
        RequestStoreOfPanel(rig.state, rig.panel);
        rig.SendTicks(TicksUntilSent(rig.state, rig.panel) - 1);
        EXPECT_TRUE(rig.StorePending()) << row.name;
        rig.SendTicks(1);
        EXPECT_FALSE(rig.StorePending()) << row.name;
        EXPECT_EQ(FakeChannel::Hex(rig.channel.written.back()), "AB 02 48 07 1A 16") << row.name;
        EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 0) << row.name;
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
