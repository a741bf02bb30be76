// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/ParamFile.h"
#include "files/PlainFile.h"

namespace {

namespace fs = std::filesystem;

int ProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return getpid();
#endif
}

// A fresh folder per test, removed afterwards.
class PlainFileTest : public testing::Test {
protected:
    void SetUp() override {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() /
                  ("dx470_files_" + std::to_string(ProcessId()) + "_" + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }

    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder_ / "locked.tq4", fs::perms::owner_all, ignored);
        fs::remove_all(folder_, ignored);
    }

    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const fs::path path = folder_ / name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        EXPECT_TRUE(out.good());
        return path.string();
    }

    std::vector<std::uint8_t> Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path folder_;
};

std::vector<std::uint8_t> Counting(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    return bytes;
}

TEST_F(PlainFileTest, ReadsFilesUpToTheLimitWhole) {
    for (std::size_t size : {std::size_t{0}, std::size_t{10}, std::size_t{64}}) {
        const std::vector<std::uint8_t> bytes = Counting(size);
        const FileRead read = ReadRegularFile(Write("set.tq4", bytes), kParamFileSize);

        ASSERT_TRUE(std::holds_alternative<FileBytes>(read)) << size;
        EXPECT_EQ(std::get<FileBytes>(read), bytes) << size;
    }
}

TEST_F(PlainFileTest, StopsOneByteAfterTheLimit) {
    const std::vector<std::uint8_t> bytes = Counting(100000);

    const FileRead read = ReadRegularFile(Write("big.tq4", bytes), kParamFileSize);

    ASSERT_TRUE(std::holds_alternative<FileBytes>(read));
    EXPECT_EQ(std::get<FileBytes>(read),
              std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 65));
}

TEST_F(PlainFileTest, MissingFileOrDanglingLinkCannotBeOpened) {
    std::vector<const char*> names{"absent.tq4"};
#ifndef _WIN32
    // Making a symbolic link takes a privilege on Windows.
    fs::create_symlink(folder_ / "absent.tq4", folder_ / "dangling.tq4");
    names.push_back("dangling.tq4");
#endif
    for (const char* name : names) {
        EXPECT_TRUE(std::holds_alternative<CannotOpen>(
            ReadRegularFile((folder_ / name).string(), kParamFileSize)))
            << name;
    }
}

TEST_F(PlainFileTest, UnreadableFileCannotBeOpened) {
#ifdef _WIN32
    GTEST_SKIP() << "permission bits do not keep a file from being read on Windows";
#else
    if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their permissions";
    const std::string path = Write("locked.tq4", Counting(64));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);

    EXPECT_TRUE(std::holds_alternative<CannotOpen>(ReadRegularFile(path, kParamFileSize)));
#endif
}

// Opens, but its first bytes cannot be read, for root too.
TEST_F(PlainFileTest, ReadThatFailsGivesTheSystemsReason) {
#ifdef _WIN32
    GTEST_SKIP() << "needs /proc/self/mem, which Windows does not have";
#else
    const FileRead read = ReadRegularFile("/proc/self/mem", kParamFileSize);

    ASSERT_TRUE(std::holds_alternative<ReadFailed>(read));
    EXPECT_EQ(std::get<ReadFailed>(read).reason, std::strerror(EIO));
#endif
}

// Refused by its kind, links followed, and never waited on: a pipe without a
// writer would hold the thread. (The window's tests add terminals and sockets.)
TEST_F(PlainFileTest, WhatIsNoRegularFileIsNamedAndNeverWaitedOn) {
    std::vector<std::pair<fs::path, FileKind>> cases{{folder_, FileKind::Folder}};
#ifndef _WIN32
    // Windows has no named pipe in its folders, and links need a privilege.
    const fs::path pipe = folder_ / "pipe.tq4";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    fs::create_symlink(pipe, folder_ / "link to pipe.tq4");
    cases.push_back({pipe, FileKind::NamedPipe});
    cases.push_back({folder_ / "link to pipe.tq4", FileKind::NamedPipe});
#endif
    for (const auto& [path, kind] : cases) {
        const FileRead read = ReadRegularFile(path.string(), kParamFileSize);
        ASSERT_TRUE(std::holds_alternative<NotRegular>(read)) << path;
        EXPECT_EQ(std::get<NotRegular>(read).kind, kind) << path;
    }
}

TEST_F(PlainFileTest, SavedSetLoadsBackIntoAnotherPanel) {
    PanelParams saved{};
    for (int k = 0; k < kParamCount; ++k) saved[k] = 255 - 13 * k;
    const ParamFileBytes bytes = EncodeParamFile(saved);

    const FileRead read =
        ReadRegularFile(Write("set.tq4", {bytes.begin(), bytes.end()}), kParamFileSize);

    ASSERT_TRUE(std::holds_alternative<FileBytes>(read));
    PanelParams loaded{};
    loaded.fill(7);
    ASSERT_EQ(DecodeParamFile(std::get<FileBytes>(read), loaded), ParamFileLoad::Loaded);
    EXPECT_EQ(loaded, saved);
}

// Relative targets count from their own link's folder.
TEST_F(PlainFileTest, LinksAreFollowedToTheEndOfTheChain) {
    Write("plain.tq4", Counting(3));
    std::vector<std::pair<const char*, fs::path>> cases{
        {"plain.tq4", folder_ / "plain.tq4"},
        {"absent.tq4", folder_ / "absent.tq4"},
    };
#ifndef _WIN32
    // Making a symbolic link takes a privilege on Windows.
    fs::create_directory(folder_ / "sub");
    fs::create_symlink("sub/b.tq4", folder_ / "a.tq4");
    fs::create_symlink("../c.tq4", folder_ / "sub" / "b.tq4");
    fs::create_symlink(folder_ / "new.tq4", folder_ / "dangling.tq4");
    cases.push_back({"a.tq4", folder_ / "sub" / "../c.tq4"});
    cases.push_back({"dangling.tq4", folder_ / "new.tq4"});
#endif
    for (const auto& [name, end] : cases) {
        const LinkEnd followed = FollowLinks((folder_ / name).string());
        EXPECT_EQ(followed.path, end.string()) << name;
        EXPECT_EQ(followed.problem, "") << name;
    }
}

// The caller's bytes come back as they were when there is no link to follow,
// whatever their encoding: on Windows they are in the ANSI code page, which
// std::filesystem reads one way and writes back another.
TEST_F(PlainFileTest, NameThatIsNoLinkComesBackAsItWasGiven) {
    Write("plain.tq4", Counting(3));
    const std::string folder = folder_.string();
    // ASCII, "测试" in GBK, "测试" in UTF-8.
    for (const char* name : {"plain.tq4", "\xB2\xE2\xCA\xD4.tq4", "\xE6\xB5\x8B\xE8\xAF\x95.tq4"}) {
        const std::string path = folder + "/" + name;

        const LinkEnd followed = FollowLinks(path);

        EXPECT_EQ(followed.path, path) << name;
        EXPECT_EQ(followed.problem, "") << name;
    }
}

TEST_F(PlainFileTest, LinksThatNeverEndAreAProblem) {
#ifdef _WIN32
    GTEST_SKIP() << "making a symbolic link takes a privilege on Windows";
#else
    fs::create_symlink("b.tq4", folder_ / "a.tq4");
    fs::create_symlink("a.tq4", folder_ / "b.tq4");

    EXPECT_EQ(FollowLinks((folder_ / "a.tq4").string()).problem, std::strerror(ELOOP));
#endif
}

TEST_F(PlainFileTest, InPlaceWriteReplacesTheWholeContents) {
    for (std::size_t oldSize :
         {std::size_t{0}, std::size_t{5}, std::size_t{64}, std::size_t{300}}) {
        const std::string path = Write("old.tq4", std::vector<std::uint8_t>(oldSize, 0xEE));

        const InPlaceWrite result = WriteInPlace(path, Counting(64));

        EXPECT_EQ(result.outcome, InPlaceWrite::Outcome::Written) << oldSize;
        EXPECT_EQ(Read(path), Counting(64)) << oldSize;
    }
}

TEST_F(PlainFileTest, InPlaceWriteMakesNoNewFile) {
    const std::string path = (folder_ / "absent.tq4").string();

    EXPECT_EQ(WriteInPlace(path, Counting(64)).outcome, InPlaceWrite::Outcome::Untouched);
    EXPECT_FALSE(fs::exists(path));
}

// Only a regular file, or nothing yet, is written over; a kind that cannot
// be told is left to the write, which then says why it failed. A refusal
// names what is there.
// What a name stands for: nothing at all is missing, even where a part of
// the path is a file rather than a folder.
TEST_F(PlainFileTest, KindOfWhatANameStandsFor) {
    Write("set.tq4", Counting(kParamFileSize));
    struct Row {
        std::string name;
        FileKind kind;
    };
    const Row rows[] = {
        {"set.tq4", FileKind::Regular},
        {".", FileKind::Folder},
        {"absent.tq4", FileKind::Missing},
        {"absent/set.tq4", FileKind::Missing},
        {"set.tq4/inside.tq4", FileKind::Missing},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(KindAt((folder_ / row.name).string()), row.kind);
    }
}

TEST(WriteOverTest, OnlyARegularFileOrNothingYet) {
    struct Row {
        FileKind kind;
        bool mayWrite;
        const char* refusal;
    };
    const Row rows[] = {
        {FileKind::Missing, true, ""},
        {FileKind::Regular, true, ""},
        {FileKind::Unknown, true, ""},
        {FileKind::Folder, false, "not a regular file: a folder"},
        {FileKind::NamedPipe, false, "not a regular file: a named pipe"},
        {FileKind::Device, false, "not a regular file: a device"},
        {FileKind::Socket, false, "not a regular file: a socket"},
        {FileKind::Other, false, "not a regular file: something else"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.kind));
        EXPECT_EQ(MayWriteOver(row.kind), row.mayWrite);
        if (!row.mayWrite) {
            EXPECT_EQ(RefusalText(row.kind), row.refusal);
        }
    }
}

// A file-size limit binds root too: the write is cut short after the limit,
// and the five old bytes are put back as they were.
TEST_F(PlainFileTest, InPlaceWriteCutShortPutsTheOldContentsBack) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no file-size limit to cut a write short";
#else
    const std::vector<std::uint8_t> old{9, 8, 7, 6, 5};
    const std::string path = Write("old.tq4", old);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limit = saved;
    limit.rlim_cur = 10;
    const sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);

    const InPlaceWrite result = WriteInPlace(path, Counting(64));

    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result.outcome, InPlaceWrite::Outcome::Restored);
    EXPECT_EQ(result.reason, std::strerror(EFBIG));
    EXPECT_EQ(Read(path), old);
#endif
}

}  // namespace
