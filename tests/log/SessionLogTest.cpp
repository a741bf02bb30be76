// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// A log file from link-up to its end, the times of the frames of one read,
// and the way a replay moves through a log.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/ParamFile.h"
#include "log/FrameClock.h"
#include "log/LogFormat.h"
#include "log/LogNames.h"
#include "log/ReplayCursor.h"
#include "log/SessionLog.h"
#include "tests/support/FileSizeLimit.h"

namespace {

namespace fs = std::filesystem;

const std::tm kLinkUp = [] {
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 2;
    time.tm_mday = 1;
    time.tm_hour = 14;
    time.tm_min = 5;
    time.tm_sec = 9;
    return time;
}();

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

SessionFrame FrameAt(std::int64_t timeUs) {
    return {timeUs, 3, 800, 3400, 30000, 100, 0};
}

// A log folder with the user's Chinese folder name in its path.
class SessionLogTest : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("dx470_log_" + std::to_string(getpid()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        folder_ = root_ / "文档" / "DX470 logs";
        panel_.fill(100);
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path root_;
    fs::path folder_;
    PanelParams panel_{};
};

TEST_F(SessionLogTest, WritesHeaderRowsMarksAndBothSets) {
    SessionLog log;
    ASSERT_FALSE(log.Begin(folder_.string(), kLinkUp, 1'000'000, panel_));
    EXPECT_EQ(fs::path(log.Path()), folder_ / "DX470_2026-03-01_14.05.09.msl");
    log.AddFrame(FrameAt(1'100'000));
    EXPECT_EQ(log.AddEvent({.kind = SessionEvent::Kind::ParameterSent, .index = 3, .value = 101}),
              1);
    EXPECT_EQ(log.AddEvent({.kind = SessionEvent::Kind::Mark}), 2);
    log.AddFrame(FrameAt(1'200'000));
    log.AddFrame(FrameAt(1'300'000));
    panel_[3] = 101;
    ASSERT_FALSE(log.End(panel_));
    EXPECT_FALSE(log.IsOpen());

    const ParsedLog parsed = ParseLog(Contents(folder_ / "DX470_2026-03-01_14.05.09.msl"));
    ASSERT_EQ(parsed.frames.size(), 3u);
    EXPECT_EQ(parsed.frames[0].timeUs, 100'000);
    // Only the frame right after the events carries the last one's number.
    EXPECT_EQ(parsed.frames[1].mark, 2);
    EXPECT_EQ(parsed.frames[2].mark, 0);
    ASSERT_EQ(parsed.events.size(), 2u);
    EXPECT_EQ(parsed.events[0].second.kind, SessionEvent::Kind::ParameterSent);
    EXPECT_EQ(parsed.skipped.Total(), 0u);

    PanelParams start{};
    PanelParams end{};
    const std::string startBytes = Contents(folder_ / "DX470_2026-03-01_14.05.09_start.tq4");
    const std::string endBytes = Contents(folder_ / "DX470_2026-03-01_14.05.09_end.tq4");
    DecodeParamFile(
        std::span(reinterpret_cast<const std::uint8_t*>(startBytes.data()), startBytes.size()),
        start);
    DecodeParamFile(
        std::span(reinterpret_cast<const std::uint8_t*>(endBytes.data()), endBytes.size()), end);
    EXPECT_EQ(start[3], 100);
    EXPECT_EQ(end[3], 101);
}

// Begun with OBD columns, the log's header and its frames' rows have them.
TEST_F(SessionLogTest, ObdColumnsFollowHowTheLogBegan) {
    SessionLog log;
    ASSERT_FALSE(log.Begin(folder_.string(), kLinkUp, 0, panel_, true));
    SessionFrame frame = FrameAt(10'000);
    frame.obd = ObdReadings{140, {}, 3200, {}, {}};
    log.AddFrame(frame);
    ASSERT_FALSE(log.End(panel_));
    const std::string text = Contents(log.Path());
    EXPECT_TRUE(text.starts_with(LogHeader(true)));
    EXPECT_EQ(ParseLog(text).frames.at(0).obd, frame.obd);
}

// Rows stay in memory until a flush; a flush puts all of them in the file.
TEST_F(SessionLogTest, RowsReachTheFileAtAFlush) {
    SessionLog log;
    ASSERT_FALSE(log.Begin(folder_.string(), kLinkUp, 0, panel_));
    log.AddFrame(FrameAt(10'000));
    EXPECT_EQ(ParseLog(Contents(log.Path())).frames.size(), 0u);
    ASSERT_FALSE(log.Flush());
    EXPECT_EQ(ParseLog(Contents(log.Path())).frames.size(), 1u);
}

// Two links within one second: the second log does not replace the first.
TEST_F(SessionLogTest, ALogBegunInTheSameSecondGetsANumber) {
    SessionLog first;
    SessionLog second;
    ASSERT_FALSE(first.Begin(folder_.string(), kLinkUp, 0, panel_));
    ASSERT_FALSE(second.Begin(folder_.string(), kLinkUp, 0, panel_));
    EXPECT_EQ(fs::path(second.Path()).filename(), "DX470_2026-03-01_14.05.09_2.msl");
    EXPECT_TRUE(fs::exists(folder_ / "DX470_2026-03-01_14.05.09_2_start.tq4"));
}

// The log's files made links to a device node (a copy of /dev/null, so only
// root can make it): the log goes to the next name, a snapshot is refused and
// said why, and the node and the links stay.
TEST_F(SessionLogTest, ALinkToADeviceNodeIsNeverWrittenThrough) {
    fs::create_directories(folder_);
    const fs::path node = root_ / "null";
    if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "needs root";
    const fs::path logLink = folder_ / "DX470_2026-03-01_14.05.09.msl";
    const fs::path snapshotLink = folder_ / "DX470_2026-03-01_14.05.09_2_start.tq4";
    fs::create_symlink(node, logLink);
    fs::create_symlink(node, snapshotLink);
    SessionLog log;
    const auto failure = log.Begin(folder_.string(), kLinkUp, 0, panel_);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->path, snapshotLink.string());
    EXPECT_NE(failure->reason.find("not a regular file"), std::string::npos) << failure->reason;
    EXPECT_TRUE(fs::is_character_file(node));
    EXPECT_TRUE(fs::is_symlink(logLink));
    EXPECT_TRUE(fs::is_symlink(snapshotLink));
}

TEST_F(SessionLogTest, AFolderThatCannotBeMadeIsTold) {
    fs::create_directories(root_);
    std::ofstream(root_ / "文档") << "a file where the folder should be";
    SessionLog log;
    const auto failure = log.Begin(folder_.string(), kLinkUp, 0, panel_);
    ASSERT_TRUE(failure);
    EXPECT_FALSE(failure->reason.empty());
    EXPECT_FALSE(log.IsOpen());
}

// A full disk (a file-size limit here) ends the log with the system's reason.
TEST_F(SessionLogTest, AFullDiskEndsTheLog) {
    SessionLog log;
    ASSERT_FALSE(log.Begin(folder_.string(), kLinkUp, 0, panel_));
    std::optional<SessionLog::Failure> failure;
    {
        const FileSizeLimit limit(1024);
        ASSERT_TRUE(limit.Set());
        for (int i = 0; i < 100; ++i) log.AddFrame(FrameAt(i * 6'250));
        failure = log.Flush();
    }
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->reason, std::strerror(EFBIG));
    EXPECT_EQ(fs::path(failure->path), fs::path(log.Path()));
    EXPECT_FALSE(log.IsOpen());
    log.AddFrame(FrameAt(700'000));
    EXPECT_FALSE(log.End(panel_));
}

// Wherever the limit cuts the write, the file keeps the rows written whole
// and none of the row that did not fit.
TEST_F(SessionLogTest, AFullDiskLeavesWholeRowsOnly) {
    for (const rlim_t limit : {rlim_t{1024}, rlim_t{1025}, rlim_t{1063}, rlim_t{2000}}) {
        SessionLog log;
        ASSERT_FALSE(log.Begin(folder_.string(), kLinkUp, 0, panel_));
        const std::string path = log.Path();
        {
            const FileSizeLimit limited(limit);
            ASSERT_TRUE(limited.Set());
            for (int i = 0; i < 100; ++i) log.AddFrame(FrameAt(i * 6'250));
            ASSERT_TRUE(log.Flush()) << limit;
        }
        const std::string text = Contents(path);
        EXPECT_TRUE(text.ends_with('\n')) << limit;
        EXPECT_GT(text.size(), limit - 50) << limit;
        const ParsedLog parsed = ParseLog(text);
        EXPECT_EQ(parsed.skipped.Total(), 0u) << limit;
        EXPECT_GT(parsed.frames.size(), 0u) << limit;
        fs::remove_all(folder_);
    }
}

// The folder renamed while logging: the rows go on into the file where it
// now is, none lost.
TEST_F(SessionLogTest, ARenamedFolderLosesNoRows) {
    SessionLog log;
    ASSERT_FALSE(log.Begin(folder_.string(), kLinkUp, 0, panel_));
    log.AddFrame(FrameAt(10'000));
    ASSERT_FALSE(log.Flush());
    const fs::path renamed = root_ / "renamed";
    fs::rename(folder_, renamed);
    log.AddFrame(FrameAt(20'000));
    log.AddFrame(FrameAt(30'000));

    EXPECT_FALSE(log.Flush());
    EXPECT_TRUE(log.IsOpen());
    const ParsedLog parsed = ParseLog(Contents(renamed / fs::path(log.Path()).filename()));
    EXPECT_EQ(parsed.frames.size(), 3u);
}

// A folder deleted while logging: writes would still succeed, into nothing.
TEST_F(SessionLogTest, AVanishedFolderEndsTheLog) {
    SessionLog log;
    ASSERT_FALSE(log.Begin(folder_.string(), kLinkUp, 0, panel_));
    fs::remove_all(root_);
    log.AddFrame(FrameAt(10'000));
    const auto failure = log.Flush();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->reason, std::strerror(ENOENT));
    EXPECT_FALSE(log.IsOpen());
}

TEST(LogNames, SnapshotsLieBesideTheLog) {
    EXPECT_EQ(SnapshotPath("/d/DX470_2026-03-01_14.05.09.msl", Snapshot::Start),
              "/d/DX470_2026-03-01_14.05.09_start.tq4");
    EXPECT_EQ(SnapshotPath("/d/DX470_2026-03-01_14.05.09_2.msl", Snapshot::End),
              "/d/DX470_2026-03-01_14.05.09_2_end.tq4");
}

struct StampCase {
    const char* name;
    std::vector<std::int64_t> arrivals;  // one read per entry...
    std::vector<int> framesPerRead;      // ...completing this many frames
    std::vector<std::int64_t> times;
};

const StampCase kStamps[] = {
    {"OneFramePerRead", {100'000, 116'250}, {1, 1}, {100'000, 116'250}},
    {"ThreeFramesInOneRead", {100'000}, {3}, {87'500, 93'750, 100'000}},
    {"ALateReadNeverGoesBack", {100'000, 101'000}, {1, 2}, {100'000, 101'000, 102'000}},
    {"ReadsCloserThanAMillisecond", {100'000, 100'200}, {1, 1}, {100'000, 101'000}},
};

class FrameTimes : public testing::TestWithParam<StampCase> {};

TEST_P(FrameTimes, FollowTheReads) {
    const StampCase& c = GetParam();
    FrameClock clock;
    std::vector<std::int64_t> times;
    for (std::size_t read = 0; read < c.arrivals.size(); ++read) {
        std::vector<SessionFrame> frames(static_cast<std::size_t>(c.framesPerRead[read]));
        clock.Stamp(frames, c.arrivals[read]);
        for (const SessionFrame& frame : frames) times.push_back(frame.timeUs);
    }
    EXPECT_EQ(times, c.times);
}

INSTANTIATE_TEST_SUITE_P(Log, FrameTimes, testing::ValuesIn(kStamps),
                         [](const auto& info) { return std::string(info.param.name); });

// A frame shown keeps the link's readings and the parameter of its own cell.
TEST(SessionRecord, AFrameShownCarriesItsCellsParameter) {
    LinkState state;
    for (int k = 0; k < kParamCount; ++k) state.deviceParams[k] = static_cast<std::uint8_t>(10 + k);
    state.petrolRaw = 0x0F80;
    state.gasTimeUs = 16222;
    state.lambdaRaw = 49152;
    for (const std::int32_t cell : {0, 7, 15}) {
        state.cellIndex = cell;
        const SessionFrame expected{0, cell, 0x0F80, 16222, 49152, 10 + cell, 0};
        EXPECT_TRUE(FrameOf(state) == expected) << cell;
    }
}

TEST(ReplayCursor, FramesFallDueOnTheLogsTimeAndASeekShowsTheFrameThere) {
    ReplayCursor cursor(
        {FrameAt(5'000'000), FrameAt(5'100'000), FrameAt(5'100'000), FrameAt(5'400'000)});
    EXPECT_EQ(cursor.Duration(), 400'000);
    EXPECT_EQ(cursor.AdvanceTo(0).size(), 1u);
    EXPECT_EQ(cursor.AdvanceTo(99'999).size(), 0u);
    EXPECT_EQ(cursor.AdvanceTo(250'000).size(), 2u);
    EXPECT_FALSE(cursor.AtEnd());
    EXPECT_EQ(cursor.SeekTo(50'000).timeUs, 5'000'000);
    EXPECT_EQ(cursor.AdvanceTo(100'000).size(), 2u);
    EXPECT_EQ(cursor.SeekTo(1'000'000).timeUs, 5'400'000);
    EXPECT_TRUE(cursor.AtEnd());
    EXPECT_EQ(cursor.Position(), 400'000);
}

}  // namespace
