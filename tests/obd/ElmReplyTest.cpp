// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include "obd/core/ElmReply.h"
#include "obd/core/ObdPids.h"

namespace {
using Kind = ElmReply::Kind;

struct ReplyCase {
    const char* name;
    const char* text;
    Kind kind;
    std::vector<std::uint8_t> data;
};

class ElmReplyTest : public testing::TestWithParam<ReplyCase> {};

TEST_P(ElmReplyTest, ReadsTheAnswerToTheShortTrimRequest) {
    const ElmReply reply = ParseElmReply(GetParam().text, "0106");
    EXPECT_EQ(reply.kind, GetParam().kind);
    EXPECT_EQ(reply.data, GetParam().data);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ElmReplyTest,
    testing::Values(
        ReplyCase{"Plain", "4106A0\r\r>", Kind::Data, {0xA0}},
        ReplyCase{"Spaced", "41 06 A0 \r\r>", Kind::Data, {0xA0}},
        ReplyCase{"EchoedAndSearching", "0106\rSEARCHING...\r41 06 7f\r\r>", Kind::Data, {0x7F}},
        ReplyCase{"AnotherPidIsNotTaken", "410C1AF8\r>", Kind::Text, {}},
        ReplyCase{"SecondEcuAfterAStrayLine", "7E8 junk\r4106 80\r>", Kind::Data, {0x80}},
        ReplyCase{"NoData", "NO DATA\r\r>", Kind::NoData, {}},
        ReplyCase{"SearchingThenNoData", "SEARCHING...\rNO DATA\r>", Kind::NoData, {}},
        ReplyCase{"NotUnderstood", "?\r>", Kind::NotUnderstood, {}},
        ReplyCase{"Stopped", "STOPPED\r>", Kind::Stopped, {}},
        ReplyCase{"BusInitFailed", "BUS INIT: ...ERROR\r>", Kind::BusFault, {}},
        ReplyCase{"BusInitPassesOver", "BUS INIT: ...OK\r4106 81\r>", Kind::Data, {0x81}},
        ReplyCase{"UnableToConnect", "SEARCHING...\rUNABLE TO CONNECT\r>", Kind::BusFault, {}},
        ReplyCase{"OddHexIsNoData", "4106A\r>", Kind::Text, {}},
        ReplyCase{"Garbage", "\x01\xff#~\r>", Kind::Text, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ElmReply, AnAdapterNamesItselfAfterItsReset) {
    EXPECT_TRUE(NamesAnElm("ATZ\r\r\rELM327 v1.5\r\r>"));
    EXPECT_FALSE(NamesAnElm("\xab\x01\x00\x03"));
    EXPECT_EQ(ParseElmReply("ATZ\r\rELM327 v2.1\r>", "ATZ").text, "ELM327 v2.1");
}

TEST(ObdPids, EachPidFillsItsOwnReading) {
    ObdReadings readings;
    EXPECT_TRUE(StorePid(readings, kRpmPid, {0x1A, 0xF8}));
    EXPECT_FALSE(StorePid(readings, kRpmPid, {0x1A}));  // cut short
    EXPECT_FALSE(StorePid(readings, kShortTrimPid, {}));
    EXPECT_TRUE(StorePid(readings, kCoolantPid, {0x82}));
    EXPECT_EQ(readings.rpm, 0x1AF8);
    EXPECT_DOUBLE_EQ(RpmOf(*readings.rpm), 1726.0);
    EXPECT_EQ(CoolantCelsius(*readings.coolant), 90);
    EXPECT_FALSE(readings.shortTrim);
    EXPECT_EQ(RequestFor(kRpmPid), "010C");
}
}  // namespace
