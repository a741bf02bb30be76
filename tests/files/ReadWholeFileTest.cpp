#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ParamFile.h"

namespace {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class ReadWholeFileTest : public testing::Test {
protected:
    void SetUp() override {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() /
                  ("dx470_files_" + std::to_string(getpid()) + "_" + info->name());
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

    fs::path folder_;
};

std::vector<std::uint8_t> Counting(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    return bytes;
}

TEST_F(ReadWholeFileTest, ReadsFilesUpToTheLimitWhole) {
    for (std::size_t size : {std::size_t{0}, std::size_t{10}, std::size_t{64}}) {
        const std::vector<std::uint8_t> bytes = Counting(size);
        const std::string path = Write("set.tq4", bytes);

        const auto read = ReadWholeFile(path, kParamFileSize);

        ASSERT_TRUE(read.has_value()) << size;
        EXPECT_EQ(*read, bytes) << size;
    }
}

TEST_F(ReadWholeFileTest, StopsOneByteAfterTheLimit) {
    const std::vector<std::uint8_t> bytes = Counting(100000);
    const std::string path = Write("big.tq4", bytes);

    const auto read = ReadWholeFile(path, kParamFileSize);

    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 65));
}

TEST_F(ReadWholeFileTest, MissingFileGivesNothing) {
    EXPECT_FALSE(ReadWholeFile((folder_ / "absent.tq4").string(), kParamFileSize).has_value());
}

TEST_F(ReadWholeFileTest, FolderGivesNothing) {
    // A folder opens on Linux but cannot be read as a file, even by root.
    EXPECT_FALSE(ReadWholeFile(folder_.string(), kParamFileSize).has_value());
}

TEST_F(ReadWholeFileTest, UnreadableFileGivesNothing) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their permissions";
    const std::string path = Write("locked.tq4", Counting(64));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);

    EXPECT_FALSE(ReadWholeFile(path, kParamFileSize).has_value());
}

TEST_F(ReadWholeFileTest, SavedSetLoadsBackIntoAnotherPanel) {
    PanelParams saved{};
    for (int k = 0; k < kParamCount; ++k) saved[k] = 255 - 13 * k;
    const ParamFileBytes bytes = EncodeParamFile(saved);
    const std::string path = Write("set.tq4", {bytes.begin(), bytes.end()});

    const auto read = ReadWholeFile(path, kParamFileSize);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(fs::file_size(path), kParamFileSize);
    PanelParams loaded{};
    loaded.fill(7);
    ASSERT_EQ(DecodeParamFile(*read, loaded), ParamFileLoad::Loaded);
    EXPECT_EQ(loaded, saved);
}

TEST_F(ReadWholeFileTest, SixtyFiveByteFileIsRefused) {
    const std::string path = Write("long.tq4", Counting(65));
    PanelParams params{};
    params.fill(9);

    const auto read = ReadWholeFile(path, kParamFileSize);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(DecodeParamFile(*read, params), ParamFileLoad::TooLong);

    PanelParams unchanged{};
    unchanged.fill(9);
    EXPECT_EQ(params, unchanged);
}

}  // namespace
