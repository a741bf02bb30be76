// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// A log read from its file for a replay: refused by its size before it is
// read, read a piece at a time with its progress told, stopped on request.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "log/LogFile.h"

namespace {

namespace fs = std::filesystem;
using Outcome = LogFileRead::Outcome;

constexpr std::uint64_t kLimit = std::uint64_t{8} << 20;

class LogFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("dx470_logfile_" + std::to_string(getpid()) + "_" +
                   testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Write(const std::string& text) {
        const fs::path path = folder_ / "a.msl";
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    // A log of this many frames, a few megabytes for a hundred thousand.
    std::string WriteFrames(int count) {
        std::string text = LogHeader();
        for (int i = 0; i < count; ++i)
            AppendFrameRow(text, {i * 16'000, i % 16, 800, 3400, 30000, 100, 0});
        return Write(text);
    }

    fs::path folder_;
};

TEST_F(LogFileTest, ReadsEveryFrameTellingItsProgress) {
    const std::string path = WriteFrames(100'000);
    const auto size = static_cast<std::uint64_t>(fs::file_size(path));
    std::vector<std::uint64_t> done;

    const LogFileRead read = ReadLogFile(path, kLimit, [&](std::uint64_t bytes, std::uint64_t of) {
        done.push_back(bytes);
        EXPECT_EQ(of, size);
        return true;
    });

    EXPECT_EQ(read.outcome, Outcome::Read);
    EXPECT_TRUE(read.log.recognised);
    EXPECT_EQ(read.log.frames.size(), 100'000u);
    ASSERT_GT(done.size(), 1u);
    EXPECT_EQ(done.back(), size);
}

TEST_F(LogFileTest, StopsWhenAskedAndGivesNothing) {
    const std::string path = WriteFrames(100'000);
    int asked = 0;

    const LogFileRead read =
        ReadLogFile(path, kLimit, [&](std::uint64_t, std::uint64_t) { return ++asked < 2; });

    EXPECT_EQ(read.outcome, Outcome::Stopped);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(read.log.frames.empty());
}

// What is no log is seen to be at its first row: the rest is not read.
TEST_F(LogFileTest, TextThatIsNoLogIsNotReadOn) {
    const std::string path = Write(std::string(kLimit, 'x'));
    int asked = 0;

    const LogFileRead read = ReadLogFile(path, kLimit, [&](std::uint64_t, std::uint64_t) {
        ++asked;
        return true;
    });

    EXPECT_EQ(read.outcome, Outcome::Read);
    EXPECT_FALSE(read.log.recognised);
    EXPECT_EQ(asked, 0);
}

TEST_F(LogFileTest, WhatCannotBeReadSaysWhy) {
    const std::string big = Write("");
    fs::resize_file(big, kLimit + 1);
    const struct {
        std::string path;
        Outcome outcome;
    } cases[] = {
        {big, Outcome::TooLarge},
        {(folder_ / "absent.msl").string(), Outcome::CannotOpen},
        {folder_.string(), Outcome::NotAFile},
        {"/proc/self/mem", Outcome::ReadFailed},
    };
    for (const auto& c : cases) {
        const LogFileRead read = ReadLogFile(c.path, kLimit);
        EXPECT_EQ(read.outcome, c.outcome) << c.path;
        EXPECT_EQ(read.reason.empty(), c.outcome != Outcome::ReadFailed) << c.path;
    }
}

}  // namespace
