// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include "link/LinkState.h"
#include "tests/support/LinkSnapshot.h"

namespace {

// Which fields a reset sets to 0; every other field must keep its value.
struct ResetCase {
    const char* name;
    void (LinkState::*reset)();
    bool receivedMask;
    bool silenceTicks;
    bool linkUp;
    bool panelLoaded;
    bool portError;
    bool probeFound;
    bool probeStop;
};

const ResetCase kResetCases[] = {
    {"ResetForSearch", &LinkState::ResetForSearch, true, true, true, true, true, true, true},
    {"ResetForPortChange", &LinkState::ResetForPortChange, true, false, true, true, false, false,
     false},
    {"ResetForOffline", &LinkState::ResetForOffline, true, false, true, false, false, false, false},
    {"ResetForLinkLoss", &LinkState::ResetForLinkLoss, true, true, true, false, false, false,
     false},
};

class ResetTest : public testing::TestWithParam<ResetCase> {};

TEST_P(ResetTest, ClearsExactlyItsFields) {
    const ResetCase& c = GetParam();
    LinkState state;
    FillEveryField(state);
    LinkSnapshot expected = TakeSnapshot(state);
    // The confirmations and the echoes awaited go with the indices received;
    // a question about another controller goes with the panel it was about.
    if (c.receivedMask) expected.receivedMask = expected.confirmedMask = expected.unechoedMask = 0;
    if (c.silenceTicks) expected.silenceTicks = 0;
    if (c.linkUp) expected.linkUp = false;
    if (c.panelLoaded) expected.panelLoaded = expected.choicePending = false;
    if (c.portError) expected.portError = 0;
    if (c.probeFound) expected.probeFound = false;
    if (c.probeStop) expected.probeStop = false;

    (state.*c.reset)();

    EXPECT_EQ(TakeSnapshot(state), expected);
}

INSTANTIATE_TEST_SUITE_P(LinkState, ResetTest, testing::ValuesIn(kResetCases),
                         [](const testing::TestParamInfo<ResetCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(LinkStateTest, DroppingAPendingStoreClearsBothStores) {
    LinkState state;
    FillEveryField(state);
    LinkSnapshot expected = TakeSnapshot(state);
    expected.writeRequested = expected.followUpStore = false;
    state.DropPendingStore();
    EXPECT_EQ(TakeSnapshot(state), expected);
}

TEST(LinkStateTest, EveryFieldStartsAtZero) {
    LinkState state;
    EXPECT_EQ(TakeSnapshot(state), LinkSnapshot{});
    EXPECT_EQ(state.deviceParams.size(), 17u);
    EXPECT_EQ(state.deviceParams[16], 0);
}

}  // namespace
