// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Reading a file piece by piece: refused by its size before any byte is
// read, every byte handed over once, and stopped when the reader says so.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

constexpr std::uint64_t kLimit = std::uint64_t{3} << 20;

// Every piece handed over, and the sizes given with them.
struct Taken {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint64_t> sizes;
    int pieces = 0;
};

PieceTaker Taking(Taken& taken, int stopAfter = -1) {
    return [&taken, stopAfter](std::span<const std::uint8_t> piece, std::uint64_t size) {
        taken.bytes.insert(taken.bytes.end(), piece.begin(), piece.end());
        taken.sizes.push_back(size);
        return ++taken.pieces != stopAfter;
    };
}

class PieceReadTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("dx470_pieces_" + std::to_string(ProcessId()) + "_" +
                   testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string Write(const std::vector<std::uint8_t>& bytes) {
        const fs::path path = folder_ / "a.msl";
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    fs::path folder_;
};

std::vector<std::uint8_t> Counting(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    return bytes;
}

TEST_F(PieceReadTest, HandsOverEveryByteOnceWithTheFilesSize) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{10}, std::size_t{kLimit}}) {
        const std::vector<std::uint8_t> bytes = Counting(size);
        Taken taken;

        const PieceRead read = ReadRegularFileInPieces(Write(bytes), kLimit, Taking(taken));

        EXPECT_TRUE(std::holds_alternative<ReadToEnd>(read)) << size;
        EXPECT_EQ(taken.bytes, bytes) << size;
        EXPECT_EQ(taken.sizes, std::vector<std::uint64_t>(taken.sizes.size(), size)) << size;
        EXPECT_EQ(taken.pieces > 1, size > (std::size_t{1} << 20)) << size;
    }
}

// A file larger than the limit is refused by its size: not a byte of it is
// handed over, however large it is (a sparse file here, made in no time).
TEST_F(PieceReadTest, AFileOverTheLimitIsRefusedBeforeAnyRead) {
    const std::string path = Write({});
    fs::resize_file(path, kLimit + 1);
    Taken taken;

    const PieceRead read = ReadRegularFileInPieces(path, kLimit, Taking(taken));

    ASSERT_TRUE(std::holds_alternative<TooLarge>(read));
    EXPECT_EQ(std::get<TooLarge>(read).size, kLimit + 1);
    EXPECT_EQ(taken.pieces, 0);
}

TEST_F(PieceReadTest, TheReaderStopsItWhenItSays) {
    const std::string path = Write(Counting(kLimit));
    Taken taken;

    const PieceRead read = ReadRegularFileInPieces(path, kLimit, Taking(taken, 1));

    EXPECT_TRUE(std::holds_alternative<ReadStopped>(read));
    EXPECT_EQ(taken.pieces, 1);
}

// Files of /proc say they are empty and are not: they are read to their
// end all the same, under the limit.
TEST_F(PieceReadTest, AFileThatDoesNotTellItsSizeIsReadToItsEnd) {
#ifdef _WIN32
    GTEST_SKIP() << "needs /proc";
#else
    Taken taken;
    EXPECT_TRUE(std::holds_alternative<ReadToEnd>(
        ReadRegularFileInPieces("/proc/self/status", kLimit, Taking(taken))));
    EXPECT_FALSE(taken.bytes.empty());
    EXPECT_EQ(taken.sizes.front(), 0u);
    taken = {};
    EXPECT_TRUE(std::holds_alternative<TooLarge>(
        ReadRegularFileInPieces("/proc/self/status", 16, Taking(taken))));
    EXPECT_EQ(taken.pieces, 0);
#endif
}

TEST_F(PieceReadTest, WhatIsNoRegularFileIsNeverOpened) {
    Taken taken;
    const PieceRead folder = ReadRegularFileInPieces(folder_.string(), kLimit, Taking(taken));
    ASSERT_TRUE(std::holds_alternative<NotRegular>(folder));
    EXPECT_EQ(std::get<NotRegular>(folder).kind, FileKind::Folder);
    EXPECT_TRUE(std::holds_alternative<CannotOpen>(
        ReadRegularFileInPieces((folder_ / "absent.msl").string(), kLimit, Taking(taken))));
#ifndef _WIN32
    // A pipe without a writer would hold the reader for good.
    const fs::path pipe = folder_ / "pipe.msl";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_TRUE(std::holds_alternative<NotRegular>(
        ReadRegularFileInPieces(pipe.string(), kLimit, Taking(taken))));
#endif
    EXPECT_EQ(taken.pieces, 0);
}

}  // namespace
