// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include "link/SendScheduler.h"
#include "link/StoredSet.h"
#include "tests/link/SupervisionRig.h"
#include "tests/support/FakeChannel.h"

namespace {

PanelParams Filled(std::int32_t value) {
    PanelParams params{};
    params.fill(value);
    return params;
}

// The controller reports 40 everywhere and the panel was loaded from it.
struct LinkedRig : SupervisionRig {
    FakeChannel channel;

    LinkedRig() {
        state.deviceParams.fill(40);
        state.deviceParams[16] = 0;
        state.receivedMask = kAllIndicesSeen;
        state.confirmedMask = kAllIndicesSeen;
        Tick();
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
        {"one change", true, 3, 41, 0x0008},
        {"the highest parameter", true, 15, 0, 0x8000},
        // 296 has the low byte 40, but the whole value is compared.
        {"out of range", true, 7, 296, 0x0080},
        {"nothing known before a link-up", false, 3, 41, 0},
    };
    for (const Row& row : rows) {
        LinkState state;
        state.storedParams.fill(40);
        state.panelLoaded = row.panelLoaded;
        PanelParams panel = Filled(40);
        panel[row.k] = row.panelValue;
        EXPECT_EQ(UnstoredParams(state, panel), row.expected) << row.name;
    }
}

TEST(StoredSetTest, LinkUpTakesTheControllersValuesAsStored) {
    LinkedRig rig;
    ASSERT_TRUE(rig.state.panelLoaded);
    EXPECT_EQ(rig.state.storedParams[0], 40);
    EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 0);
    rig.panel[5] = 41;
    EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 0x0020);
    // A link lost and regained on the same port does not reload the panel:
    // the change stays unstored.
    rig.state.ResetForLinkLoss();
    rig.state.receivedMask = kAllIndicesSeen;
    rig.Tick();
    ASSERT_TRUE(rig.state.linkUp);
    EXPECT_EQ(rig.panel[5], 41);
    EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 0x0020);
}

// Write pressed while a change waits: the first store leaves it unstored, the
// store that follows it keeps it.
TEST(StoredSetTest, TheLastStoreCounts) {
    LinkedRig rig;
    rig.panel[5] = 41;
    RequestWrite(rig.state);
    rig.SendTicks(1);
    EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 0x0020);
    rig.SendTicks(3);
    EXPECT_EQ(rig.state.deviceParams[5], 41);
    EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 0x0020);
    rig.SendTicks(3);
    EXPECT_FALSE(rig.StorePending());
    EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 0);
}

// The store of what the panel shows goes out after the waiting values, and
// exactly on the tick that TicksUntilSent names.
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
        {"two changes wait", 2, false, 0},
        {"two changes, Write pressed, held off", 2, true, 1},
    };
    for (const Row& row : rows) {
        LinkedRig rig;
        for (int k = 0; k < row.changes; ++k) rig.panel[k] = 50 + k;
        rig.state.writeRequested = row.writePressed;
        rig.state.sendHoldoff = row.holdoff;
        RequestStoreOfPanel(rig.state, rig.panel);
        const int ticks = TicksUntilSent(rig.state, rig.panel);
        rig.SendTicks(ticks - 1);
        EXPECT_TRUE(rig.StorePending()) << row.name;
        rig.SendTicks(1);
        EXPECT_FALSE(rig.StorePending()) << row.name;
        EXPECT_EQ(FakeChannel::Hex(rig.channel.written.back()), "AB 02 48 07 1A 16") << row.name;
        EXPECT_EQ(UnstoredParams(rig.state, rig.panel), 0) << row.name;
        EXPECT_EQ(TicksUntilSent(rig.state, rig.panel), 0) << row.name;
    }
}

TEST(StoredSetTest, ParamsToRestore) {
    struct Row {
        const char* name;
        int k;
        std::int32_t saved;
        std::int32_t linked;
        ParamMask expected;
    };
    const Row rows[] = {
        {"a change the controller lost", 3, 41, 40, 0x0008},
        {"a change the controller holds", 3, 41, 41, 0},
        {"no change, the controller differs", 3, 40, 55, 0},
    };
    for (const Row& row : rows) {
        UnstoredRecord record{Filled(40), Filled(40)};
        record.panel[row.k] = row.saved;
        PanelParams linked = Filled(40);
        linked[row.k] = row.linked;
        EXPECT_EQ(ParamsToRestore(record, linked), row.expected) << row.name;
    }
}

}  // namespace
