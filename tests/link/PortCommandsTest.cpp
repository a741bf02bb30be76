// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Port > AUTO, OFFLINE and COM1..COM16, and the take-over of a found port.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/PortCommands.h"
#include "tests/link/SupervisionRig.h"
#include "tests/support/FakeChannel.h"
#include "tests/support/LinkSnapshot.h"
#include "tests/support/RecordingWindow.h"

namespace {

struct PortCommandRig {
    LinkState state;
    RecordingWindow window;
    FakeChannel channel;
    std::vector<std::string> journal;
    int launches = 0;

    PortCommandRig() {
        window.journal = &journal;
        channel.journal = &journal;
    }
    ProbeLauncher Launcher() {
        return [this] {
            ++launches;
            journal.push_back("LaunchProbe");
        };
    }
};

enum class Command { Auto, Offline, Com3, Com8 };

struct FieldRow {
    const char* name;
    Command command;
    bool clearsPanelLoaded;
    bool clearsSilence;
    bool clearsPortError;
    bool probeStopAfter;  // value after the command
    bool clearsProbeFound;
};

// What each command writes into the record; everything else stays as it was.
const FieldRow kFieldRows[] = {
    {"AUTO", Command::Auto, true, true, true, false, true},
    // Offline means offline: a find noted a moment before goes too.
    {"OFFLINE", Command::Offline, false, false, false, true, true},
    {"COM3", Command::Com3, true, false, false, true, false},
    {"COM8", Command::Com8, true, false, false, true, false},
};

class PortCommandFields : public testing::TestWithParam<FieldRow> {};

TEST_P(PortCommandFields, WritesExactlyItsFields) {
    const FieldRow& row = GetParam();
    PortCommandRig rig;
    FillEveryField(rig.state);
    rig.state.probeStop->store(true);
    LinkSnapshot expected = TakeSnapshot(rig.state);
    switch (row.command) {
        case Command::Auto:
            StartAutoSearch(rig.state, rig.window, rig.Launcher());
            break;
        case Command::Offline:
            GoOffline(rig.state, rig.window, rig.channel);
            break;
        case Command::Com3:
            SelectPort(rig.state, rig.window, rig.channel, 3);
            break;
        case Command::Com8:
            SelectPort(rig.state, rig.window, rig.channel, 8);
            break;
    }
    expected.receivedMask = expected.confirmedMask = expected.unechoedMask = 0;
    expected.linkUp = false;
    // A store asked of the controller left behind never reaches another.
    expected.writeRequested = expected.followUpStore = false;
    if (row.clearsPanelLoaded) expected.panelLoaded = expected.choicePending = false;
    if (row.clearsSilence) expected.silenceTicks = 0;
    if (row.clearsPortError) expected.portError = 0;
    expected.probeStop = row.probeStopAfter;
    if (row.clearsProbeFound) expected.probeFound = false;
    EXPECT_EQ(TakeSnapshot(rig.state), expected);
}

INSTANTIATE_TEST_SUITE_P(Commands, PortCommandFields, testing::ValuesIn(kFieldRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SelectPort, Com3RunsItsStepsInOrder) {
    PortCommandRig rig;
    SelectPort(rig.state, rig.window, rig.channel, 3);
    const std::vector<std::string> expected{
        "MarkPortChoice(COM3)",
        "DisableEditing()",
        "IsOpen",
        "Close",
        "SetPortNumber(3)",
        "Open",
        "DeviceHandle",
        "ShowLinkStatus(Waiting, COM Waiting...)",
        "ClearLiveDisplay(reset)",
    };
    EXPECT_EQ(rig.journal, expected);
}

TEST(SelectPort, ClosedChannelIsNotClosedAgain) {
    PortCommandRig rig;
    rig.channel.open = false;
    SelectPort(rig.state, rig.window, rig.channel, 16);
    EXPECT_EQ(rig.channel.CountOf("Close"), 0);
    EXPECT_EQ(rig.journal.front(), "MarkPortChoice(COM16)");
}

struct OpenCheckRow {
    int port;
    bool openWorks;
    const char* pane;
    std::uint8_t portError;
    int handleQueries;
};

class SelectPortOpenCheck : public testing::TestWithParam<OpenCheckRow> {};

// Every port chosen by hand says when it could not be opened; COM8 alone
// goes on to report it in a box.
TEST_P(SelectPortOpenCheck, EveryPortSaysSoOnlyCom8ReportsIt) {
    const OpenCheckRow& row = GetParam();
    PortCommandRig rig;
    rig.channel.open = false;
    rig.channel.handle = row.openWorks ? 7 : -1;
    SelectPort(rig.state, rig.window, rig.channel, row.port);
    EXPECT_EQ(rig.window.linkStatus, row.pane);
    EXPECT_EQ(rig.state.portError, row.portError);
    EXPECT_EQ(rig.channel.CountOf("DeviceHandle"), row.handleQueries);
}

INSTANTIATE_TEST_SUITE_P(Ports, SelectPortOpenCheck,
                         testing::Values(OpenCheckRow{8, false, "COM Open Failed!", 8, 1},
                                         OpenCheckRow{8, true, "COM Waiting...", 0, 1},
                                         OpenCheckRow{5, false, "COM Open Failed!", 0, 1},
                                         OpenCheckRow{5, true, "COM Waiting...", 0, 1},
                                         OpenCheckRow{1, false, "COM Open Failed!", 0, 1}));

TEST(SelectPort, Com8FailureIsReportedOnceByTheNextTick) {
    SupervisionRig rig;
    FakeChannel channel;
    channel.open = false;
    channel.handle = -1;
    SelectPort(rig.state, rig.window, channel, 8);
    rig.window.Clear();
    rig.Tick();
    rig.Tick();
    int boxes = 0;
    for (const auto& call : rig.window.calls) {
        if (call.rfind("ShowErrorBox", 0) == 0) {
            ++boxes;
            EXPECT_EQ(call, "ShowErrorBox(COM8端口打开失败!, 端口错误)");
        }
    }
    EXPECT_EQ(boxes, 1);
}

// An open that fails with an error still passes the error on, but the port
// before is closed already: the link goes with it.
TEST(SelectPort, FailingOpenEndsTheLinkAndPassesTheErrorOn) {
    PortCommandRig rig;
    rig.state.receivedMask = kAllIndicesSeen;
    rig.state.linkUp = true;
    rig.channel.failOpen = true;
    EXPECT_THROW(SelectPort(rig.state, rig.window, rig.channel, 4), ChannelError);
    EXPECT_FALSE(rig.state.linkUp);
    EXPECT_EQ(rig.state.receivedMask, 0);
    EXPECT_EQ(rig.window.linkStatus, "COM Open Failed!");
    EXPECT_EQ(rig.journal.back(), "ClearLiveDisplay(reset)");
}

TEST(GoOffline, RunsItsStepsInOrder) {
    PortCommandRig rig;
    GoOffline(rig.state, rig.window, rig.channel);
    const std::vector<std::string> expected{
        "MarkPortChoice(OFFLINE)", "ShowLinkStatus(Stopped, COM Stop)", "IsOpen", "Close",
        "DisableEditing()",        "ClearLiveDisplay(reset)",
    };
    EXPECT_EQ(rig.journal, expected);
    EXPECT_TRUE(rig.state.probeStop->load());
}

TEST(StartAutoSearch, LeavesChannelAndEditingAlone) {
    PortCommandRig rig;
    StartAutoSearch(rig.state, rig.window, rig.Launcher());
    const std::vector<std::string> expected{
        "MarkPortChoice(AUTO)",
        "ShowLinkStatus(Searching, COM Searching...)",
        "LaunchProbe",
    };
    EXPECT_EQ(rig.journal, expected);
}

TEST(TakeOverFoundPort, NothingFoundTouchesNothing) {
    PortCommandRig rig;
    TakeOverFoundPort(rig.state, rig.channel);
    EXPECT_TRUE(rig.journal.empty());
}

TEST(TakeOverFoundPort, OpensTheFoundPortOnce) {
    PortCommandRig rig;
    rig.channel.open = false;
    rig.state.probePort = 3;
    rig.state.probeFound = true;
    TakeOverFoundPort(rig.state, rig.channel);
    TakeOverFoundPort(rig.state, rig.channel);
    const std::vector<std::string> expected{"SetPortNumber(3)", "IsOpen", "Open"};
    EXPECT_EQ(rig.journal, expected);
    EXPECT_FALSE(rig.state.probeFound);
    EXPECT_EQ(rig.state.portError, 0);
}

TEST(TakeOverFoundPort, FindWhileHandChosenPortIsOpenIsAFailure) {
    SupervisionRig rig;
    FakeChannel channel;
    SelectPort(rig.state, rig.window, channel, 2);
    rig.state.probePort = 4;
    rig.state.probeFound = true;
    TakeOverFoundPort(rig.state, channel);
    EXPECT_EQ(channel.CountOf("Open"), 1);  // only the hand-chosen COM2
    EXPECT_EQ(channel.portNumber, 4);
    EXPECT_EQ(rig.state.portError, 4);
    rig.window.Clear();
    rig.Tick();
    rig.Tick();
    std::vector<std::string> boxes;
    for (const auto& call : rig.window.calls) {
        if (call.rfind("ShowErrorBox", 0) == 0) boxes.push_back(call);
    }
    EXPECT_EQ(boxes, std::vector<std::string>{"ShowErrorBox(COM4端口打开失败!, 端口错误)"});
}

// The find is taken before the channel is looked at: a find while a port is
// open is one failure, reported once, and a find whose open fails is not
// tried again at every tick.
TEST(TakeOverFoundPort, AFindIsTakenOnceWhateverTheChannelDoes) {
    for (const bool openFails : {false, true}) {
        SCOPED_TRACE(openFails);
        PortCommandRig rig;
        rig.channel.open = !openFails;
        rig.channel.failOpen = openFails;
        rig.state.probePort = 4;
        rig.state.probeFound = true;
        if (openFails) {
            EXPECT_THROW(TakeOverFoundPort(rig.state, rig.channel), ChannelError);
        } else {
            TakeOverFoundPort(rig.state, rig.channel);
        }
        rig.state.portError = 0;
        const std::size_t callsAfterFirst = rig.journal.size();
        TakeOverFoundPort(rig.state, rig.channel);
        EXPECT_EQ(rig.journal.size(), callsAfterFirst);
        EXPECT_EQ(rig.state.portError, 0);
    }
}

// A worker starts on a clean search: OFFLINE's stop flag and an old find are
// gone before it is launched.
TEST(StartAutoSearch, TheWorkerStartsOnAResetSearch) {
    PortCommandRig rig;
    GoOffline(rig.state, rig.window, rig.channel);
    rig.state.probeFound = true;
    rig.state.portError = 6;
    bool stopAtLaunch = true;
    bool foundAtLaunch = true;
    int portErrorAtLaunch = -1;
    StartAutoSearch(rig.state, rig.window, [&] {
        stopAtLaunch = rig.state.probeStop->load();
        foundAtLaunch = rig.state.probeFound;
        portErrorAtLaunch = rig.state.portError;
    });
    EXPECT_FALSE(stopAtLaunch);
    EXPECT_FALSE(foundAtLaunch);
    EXPECT_EQ(portErrorAtLaunch, 0);
}

// Offline means offline, whenever the find comes: reported after OFFLINE,
// noted just before it, or noted while the stop flag is set (a worker of an
// earlier search). No port is opened.
TEST(NoteFoundPort, NoFindOutlivesOffline) {
    enum class When { ReportedAfter, NotedBefore, NotedWhileStopped };
    for (const When when : {When::ReportedAfter, When::NotedBefore, When::NotedWhileStopped}) {
        SCOPED_TRACE(static_cast<int>(when));
        PortCommandRig rig;
        rig.channel.open = false;
        if (when == When::NotedBefore) NoteFoundPort(rig.state, 5);
        GoOffline(rig.state, rig.window, rig.channel);
        if (when == When::ReportedAfter) NoteFoundPort(rig.state, 7);
        if (when == When::NotedWhileStopped) {
            rig.state.probePort = 6;
            rig.state.probeFound = true;
        }
        TakeOverFoundPort(rig.state, rig.channel);
        EXPECT_FALSE(rig.state.probeFound);
        EXPECT_EQ(rig.channel.CountOf("Open"), 0);
        EXPECT_EQ(rig.window.linkStatus, "COM Stop");
    }
}

}  // namespace
