// Port > AUTO, OFFLINE and COM1..COM16, and the take-over of a found port.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlIds.h"
#include "FakeChannel.h"
#include "LinkSnapshot.h"
#include "PortCommands.h"
#include "RecordingWindow.h"
#include "SupervisionRig.h"

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
    {"OFFLINE", Command::Offline, false, false, false, true, false},
    {"COM3", Command::Com3, true, false, false, true, false},
    {"COM8", Command::Com8, true, false, false, true, false},
};

class PortCommandFields : public testing::TestWithParam<FieldRow> {};

TEST_P(PortCommandFields, WritesExactlyItsFields) {
    const FieldRow& row = GetParam();
    PortCommandRig rig;
    FillEveryField(rig.state);
    rig.state.probeStop = true;
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
    expected.receivedMask = expected.confirmedMask = 0;
    expected.linkUp = false;
    // A store asked of the controller left behind never reaches another.
    expected.writeRequested = expected.followUpStore = false;
    if (row.clearsPanelLoaded) expected.panelLoaded = false;
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
        "SetPortRadioMark(5)",
        "DisableEditing()",
        "IsOpen",
        "Close",
        "SetPortNumber(3)",
        "Open",
        "SetPaneText(1, COM Waiting...)",
        "ClearLiveDisplay()",
    };
    EXPECT_EQ(rig.journal, expected);
}

TEST(SelectPort, ClosedChannelIsNotClosedAgain) {
    PortCommandRig rig;
    rig.channel.open = false;
    SelectPort(rig.state, rig.window, rig.channel, 16);
    EXPECT_EQ(rig.channel.CountOf("Close"), 0);
    EXPECT_EQ(rig.journal.front(), "SetPortRadioMark(18)");
}

struct OpenCheckRow {
    int port;
    bool openWorks;
    const char* pane;
    std::uint8_t portError;
    int handleQueries;
};

class SelectPortOpenCheck : public testing::TestWithParam<OpenCheckRow> {};

TEST_P(SelectPortOpenCheck, OnlyCom8NoticesAFailedOpen) {
    const OpenCheckRow& row = GetParam();
    PortCommandRig rig;
    rig.channel.open = false;
    rig.channel.handle = row.openWorks ? 7 : -1;
    SelectPort(rig.state, rig.window, rig.channel, row.port);
    EXPECT_EQ(rig.window.panes[kStatusPane], row.pane);
    EXPECT_EQ(rig.state.portError, row.portError);
    EXPECT_EQ(rig.channel.CountOf("DeviceHandle"), row.handleQueries);
}

INSTANTIATE_TEST_SUITE_P(Ports, SelectPortOpenCheck,
                         testing::Values(OpenCheckRow{8, false, "COM Open Failed!", 8, 1},
                                         OpenCheckRow{8, true, "COM Waiting...", 0, 1},
                                         OpenCheckRow{5, false, "COM Waiting...", 0, 0},
                                         OpenCheckRow{1, false, "COM Waiting...", 0, 0}));

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

TEST(SelectPort, FailingOpenAbandonsTheRest) {
    PortCommandRig rig;
    rig.state.receivedMask = kAllIndicesSeen;
    rig.state.linkUp = true;
    rig.channel.failOpen = true;
    EXPECT_THROW(SelectPort(rig.state, rig.window, rig.channel, 4), ChannelError);
    EXPECT_TRUE(rig.state.linkUp);
    EXPECT_EQ(rig.window.panes.count(kStatusPane), 0u);
    EXPECT_EQ(rig.journal.back(), "Open");
}

TEST(GoOffline, RunsItsStepsInOrder) {
    PortCommandRig rig;
    GoOffline(rig.state, rig.window, rig.channel);
    const std::vector<std::string> expected{
        "SetPortRadioMark(1)", "SetPaneText(1, COM Stop)", "IsOpen", "Close",
        "DisableEditing()",    "ClearLiveDisplay()",
    };
    EXPECT_EQ(rig.journal, expected);
    EXPECT_TRUE(rig.state.probeStop.load());
}

TEST(StartAutoSearch, LeavesChannelAndEditingAlone) {
    PortCommandRig rig;
    StartAutoSearch(rig.state, rig.window, rig.Launcher());
    const std::vector<std::string> expected{
        "SetPortRadioMark(0)",
        "SetPaneText(1, COM Searching...)",
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
    EXPECT_FALSE(rig.state.probeFound.load());
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

TEST(PortMenu, CommandIdsAndMarkPositions) {
    const int ids[17] = {0,     32777, 32778, 32785, 32779, 32780, 32781, 32782, 32783,
                         32784, 32790, 32791, 32792, 32793, 32794, 32795, 32796};
    for (int port = CommandId::kFirstHandPort; port <= CommandId::kLastHandPort; ++port) {
        EXPECT_EQ(CommandId::SelectPort(port), ids[port]) << "COM" << port;
        EXPECT_EQ(PortMenuPosition(port), port + 2);
    }
    EXPECT_EQ(CommandId::kPortAuto, 32788);
    EXPECT_EQ(CommandId::kPortOffline, 32789);
}

}  // namespace
