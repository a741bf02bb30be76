// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The COMn symlink in the port folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "sim/PortLink.h"

namespace fs = std::filesystem;

namespace {

class PortLinkTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "dx470-portlink-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        folder_ = root_ / "dx470" / "ports";
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path root_;
    fs::path folder_;
};

TEST_F(PortLinkTest, CreatesFoldersAndLinkAndRemovesItAtTheEnd) {
    {
        PortLink link(folder_, 7, "/dev/pts/77");
        EXPECT_EQ(link.path(), folder_ / "COM7");
        EXPECT_EQ(fs::read_symlink(folder_ / "COM7"), "/dev/pts/77");
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder_ / "COM7")));
    EXPECT_TRUE(fs::is_empty(folder_));  // no temporary left behind
}

TEST_F(PortLinkTest, ReplacesAStaleLink) {
    fs::create_directories(folder_);
    fs::create_symlink("/dev/pts/999", folder_ / "COM2");
    PortLink link(folder_, 2, "/dev/pts/5");
    EXPECT_EQ(fs::read_symlink(folder_ / "COM2"), "/dev/pts/5");
}

TEST_F(PortLinkTest, RefusesToReplaceARegularFile) {
    fs::create_directories(folder_);
    std::ofstream(folder_ / "COM4") << "keep me";
    EXPECT_THROW(PortLink(folder_, 4, "/dev/pts/5"), std::runtime_error);
    EXPECT_TRUE(fs::is_regular_file(folder_ / "COM4"));
}

TEST_F(PortLinkTest, LeavesALinkThatSomeoneElseTookOver) {
    {
        PortLink link(folder_, 1, "/dev/pts/5");
        fs::remove(folder_ / "COM1");
        fs::create_symlink("/dev/pts/6", folder_ / "COM1");
    }
    EXPECT_EQ(fs::read_symlink(folder_ / "COM1"), "/dev/pts/6");
}

TEST(PortLinkNames, AcceptOnlyCom1ToCom20) {
    EXPECT_EQ(PortLink::portNumber("COM1"), 1);
    EXPECT_EQ(PortLink::portNumber("COM20"), 20);
    EXPECT_FALSE(PortLink::portNumber("COM0"));
    EXPECT_FALSE(PortLink::portNumber("COM21"));
    EXPECT_FALSE(PortLink::portNumber("COM"));
    EXPECT_FALSE(PortLink::portNumber("COM1x"));
    EXPECT_FALSE(PortLink::portNumber("LPT1"));
}

TEST(PortLinkFolder, FollowsXdgConfigHomeThenHome) {
    EXPECT_EQ(PortLink::folderFor("/x/cfg", "/home/u"), fs::path("/x/cfg/dx470/ports"));
    EXPECT_EQ(PortLink::folderFor(nullptr, "/home/u"), fs::path("/home/u/.config/dx470/ports"));
    EXPECT_EQ(PortLink::folderFor("relative", "/home/u"), fs::path("/home/u/.config/dx470/ports"));
    EXPECT_THROW(PortLink::folderFor(nullptr, nullptr), std::runtime_error);
}

}  // namespace
