// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// --replay's reading of a log: in bounded memory, and refused by its size.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string>

#include "log/LogFormat.h"
#include "sim/LogReplay.h"
#include "tests/support/MemoryCap.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kManyTabs = 10'000'000;
// Far less than the tabs' fields would take at 16 bytes each.
constexpr std::size_t kReadingMemory = std::size_t{24} << 20;
// Past the simulator's limit of 1 GiB.
constexpr std::uintmax_t kTooLong = (std::uintmax_t{1} << 30) + 1;

class LogReplayTest : public testing::Test {
protected:
    void SetUp() override {
        path_ = fs::temp_directory_path() /
                ("dx470_replay_" + std::to_string(getpid()) + "_" +
                 testing::UnitTest::GetInstance()->current_test_info()->name() + ".msl");
    }
    void TearDown() override { fs::remove(path_); }

    // What the replay says when it refuses the log, or "" when it plays it.
    std::string Refusal() const {
        try {
            const LogReplay replay(path_.string());
            return {};
        } catch (const std::runtime_error& refused) {
            return std::string(refused.what()).substr(path_.string().size());
        }
    }

    fs::path path_;
};

TEST_F(LogReplayTest, ARowOfTenMillionTabsIsSkippedWithinAMemoryCap) {
    if (!kMemoryCapHolds) GTEST_SKIP() << "a sanitizer's own address ranges hide the cap";
    std::ofstream(path_) << LogHeader() << std::string(kManyTabs, '\t') << '\n';
    EXPECT_TRUE(RunsWithinMemory(kReadingMemory,
                                 [this] { return Refusal() == ": the log holds no frames"; }));
}

TEST_F(LogReplayTest, ALogOverTheLimitIsRefusedByItsSize) {
    std::ofstream(path_) << LogHeader();
    fs::resize_file(path_, kTooLong);
    EXPECT_EQ(Refusal(), ": too long");
}

TEST_F(LogReplayTest, AWholeLogPlays) {
    std::string text = LogHeader();
    AppendFrameRow(text, {0, 1, 800, 3400, 30000, 100, 0});
    std::ofstream(path_) << text;
    EXPECT_EQ(Refusal(), "");
    EXPECT_EQ(LogReplay(path_.string()).frameCount(), 1u);
}

// The latest time a log can hold is far past the clock's nanoseconds: the
// frame there is due at the clock's end, with no overflow on the way.
TEST_F(LogReplayTest, AFrameBeyondTheClocksReachIsDueAtItsEnd) {
    std::string text = LogHeader();
    AppendFrameRow(text, {0, 1, 800, 3400, 30000, 100, 0});
    AppendFrameRow(text, {std::numeric_limits<std::int64_t>::max() / 1000 * 1000, 1, 800, 3400,
                          30000, 100, 0});
    std::ofstream(path_) << text;
    LogReplay replay(path_.string());
    ASSERT_EQ(replay.frameCount(), 2u);
    const LogReplay::Time start(1'000'000);
    replay.start(start);
    EXPECT_TRUE(replay.takeDue(start));
    EXPECT_GE(replay.deadline(), LogReplay::Time::max() - std::chrono::microseconds(1));
    EXPECT_FALSE(replay.takeDue(start + std::chrono::hours(24 * 365 * 100)));
}

}  // namespace
