// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// How dx470-sim reads the bytes a client writes: command frames, rejected frames and junk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/CommandParser.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct ParseCase {
    const char* name;
    std::vector<Bytes> chunks;  // fed one call each
    std::vector<std::string> lines;
};

std::vector<std::string> parseAll(const std::vector<Bytes>& chunks) {
    CommandParser parser;
    std::vector<std::string> lines;
    for (const Bytes& chunk : chunks) {
        for (const ReceivedCommand& command : parser.feed(chunk)) {
            lines.push_back(command.logLine());
        }
    }
    return lines;
}

class CommandParserCases : public testing::TestWithParam<ParseCase> {};

TEST_P(CommandParserCases, LogsWhatItFound) {
    EXPECT_EQ(parseAll(GetParam().chunks), GetParam().lines);
}

const ParseCase kCases[] = {
    {"SetParameter3To128", {{0xAB, 0x01, 0x00, 0x03, 0x80, 0x2F}}, {"rx set 3 128"}},
    {"SetParameter0To0", {{0xAB, 0x01, 0x00, 0x00, 0x00, 0xAC}}, {"rx set 0 0"}},
    {"SetParameter7To100", {{0xAB, 0x01, 0x00, 0x07, 0x64, 0x17}}, {"rx set 7 100"}},
    {"SetParameter15To255", {{0xAB, 0x01, 0x00, 0x0F, 0xFF, 0xBA}}, {"rx set 15 255"}},
    {"Store", {{0xAB, 0x02, 0x48, 0x07, 0x1A, 0x16}}, {"rx store"}},
    {"WrongChecksum", {{0xAB, 0x01, 0x00, 0x03, 0x80, 0x30}}, {"rx badsum AB 01 00 03 80 30"}},
    {"StoreWithWrongChecksum",
     {{0xAB, 0x02, 0x48, 0x07, 0x1A, 0x17}},
     {"rx badsum AB 02 48 07 1A 17"}},
    {"IndexAbove15WithValidSum",
     {{0xAB, 0x01, 0x00, 0x10, 0x00, 0xBC}},
     {"rx unknown AB 01 00 10 00 BC"}},
    {"OtherCommandWithValidSum",
     {{0xAB, 0x03, 0x00, 0x00, 0x00, 0xAE}},
     {"rx unknown AB 03 00 00 00 AE"}},
    {"FrameSplitOverThreeReads", {{0xAB, 0x01}, {0x00, 0x03}, {0x80, 0x2F}}, {"rx set 3 128"}},
    {"TwoFramesInOneRead",
     {{0xAB, 0x01, 0x00, 0x03, 0x80, 0x2F, 0xAB, 0x02, 0x48, 0x07, 0x1A, 0x16}},
     {"rx set 3 128", "rx store"}},
    {"JunkBeforeFrame",
     {{0x11, 0x22, 0xAB, 0x01, 0x00, 0x03, 0x80, 0x2F}},
     {"rx junk 11 22", "rx set 3 128"}},
    {"JunkWithoutFrameStartIsReportedAtOnce", {{0x00, 0xFF, 0x10}}, {"rx junk 00 FF 10"}},
    {"JunkThenIncompleteFrame", {{0x42, 0xAB, 0x01}}, {"rx junk 42"}},
    {"StrayStartByteBeforeFrame",
     {{0xAB, 0xAB, 0x01, 0x00, 0x03, 0x80, 0x2F}},
     {"rx badsum AB AB 01 00 03 80", "rx set 3 128"}},
    {"CutFrameFollowedByWholeFrame",
     {{0xAB, 0x01, 0x00}, {0xAB, 0x01, 0x00, 0x07, 0x64, 0x17}},
     {"rx badsum AB 01 00 AB 01 00", "rx set 7 100"}},
    {"BadFrameWithoutInnerStartIsDroppedWhole",
     {{0xAB, 0x01, 0x00, 0x03, 0x80, 0x30, 0xAB, 0x02, 0x48, 0x07, 0x1A, 0x16}},
     {"rx badsum AB 01 00 03 80 30", "rx store"}},
    {"NothingYet", {{0xAB, 0x01, 0x00, 0x03, 0x80}}, {}},
};

INSTANTIATE_TEST_SUITE_P(Frames, CommandParserCases, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandParser, ChecksumIsSumOfFirstFiveBytesModulo256) {
    const Bytes store = {0xAB, 0x02, 0x48, 0x07, 0x1A};
    EXPECT_EQ(CommandParser::checksum(store), 0x16);
    const Bytes set = {0xAB, 0x01, 0x00, 0x0F, 0xFF};
    EXPECT_EQ(CommandParser::checksum(set), 0xBA);
}

TEST(CommandParser, SetFrameCarriesIndexAndValue) {
    CommandParser parser;
    const Bytes frame = {0xAB, 0x01, 0x00, 0x0C, 0xC8, 0x80};
    const auto commands = parser.feed(frame);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].kind, ReceivedCommand::Kind::SetParameter);
    EXPECT_EQ(commands[0].index, 12);
    EXPECT_EQ(commands[0].value, 200);
}

}  // namespace
