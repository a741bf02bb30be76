// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Commands read from dx470-sim's stdin while it runs.
#include <gtest/gtest.h>

#include "sim/LineBuffer.h"
#include "sim/RuntimeCommand.h"

namespace {

using Kind = RuntimeCommand::Kind;

struct CommandCase {
    const char* line;
    Kind kind;
};

class RuntimeCommandCases : public testing::TestWithParam<CommandCase> {};

TEST_P(RuntimeCommandCases, ParsesTheLine) {
    EXPECT_EQ(RuntimeCommand::parse(GetParam().line).kind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RuntimeCommandCases,
    testing::Values(
        CommandCase{"talk", Kind::Talk}, CommandCase{"silent", Kind::Silent},
        CommandCase{"garbage", Kind::Garbage}, CommandCase{"echo", Kind::Echo},
        CommandCase{"noecho", Kind::NoEcho}, CommandCase{"dump", Kind::Dump},
        CommandCase{"count", Kind::Count}, CommandCase{"hangup", Kind::Hangup},
        CommandCase{"unplug", Kind::Unplug}, CommandCase{"plug", Kind::Plug},
        CommandCase{"quit", Kind::Quit}, CommandCase{"  silent \r", Kind::Silent},
        CommandCase{"", Kind::None}, CommandCase{"   ", Kind::None},
        CommandCase{"Silent", Kind::Invalid}, CommandCase{"quit now", Kind::Invalid},
        CommandCase{"set 16 1", Kind::Invalid}, CommandCase{"set 3 256", Kind::Invalid},
        CommandCase{"set 3", Kind::Invalid}, CommandCase{"set 3 4 5", Kind::Invalid},
        CommandCase{"restart", Kind::Restart}, CommandCase{"swap 7", Kind::Swap},
        CommandCase{"swap", Kind::Invalid}, CommandCase{"swap 1,2", Kind::Invalid},
        CommandCase{"swap 256", Kind::Invalid}, CommandCase{"swap 7 8", Kind::Invalid},
        CommandCase{"trims", Kind::Trims}, CommandCase{"fuel petrol", Kind::SetFuel},
        CommandCase{"fuel", Kind::Invalid}, CommandCase{"fuel lpg", Kind::Invalid},
        CommandCase{"fuel gas now", Kind::Invalid}, CommandCase{"petrol 65535", Kind::HoldPetrol},
        CommandCase{"petrol 65536", Kind::Invalid}, CommandCase{"petrol -1", Kind::Invalid},
        CommandCase{"petrol", Kind::Invalid}, CommandCase{"obd talk", Kind::ObdTalk},
        CommandCase{"obd nodata", Kind::ObdNoData}, CommandCase{"obd garbage", Kind::ObdGarbage},
        CommandCase{"obd unplug", Kind::ObdUnplug}, CommandCase{"obd plug", Kind::ObdPlug},
        CommandCase{"obd count", Kind::ObdCount}, CommandCase{"obd", Kind::Invalid},
        CommandCase{"obd silent", Kind::Invalid}, CommandCase{"obd talk now", Kind::Invalid}));

TEST(RuntimeCommand, SetCarriesIndexAndValue) {
    const RuntimeCommand command = RuntimeCommand::parse("set 15 255");
    EXPECT_EQ(command.kind, Kind::Set);
    EXPECT_EQ(command.index, 15);
    EXPECT_EQ(command.value, 255);
}

TEST(RuntimeCommand, FuelAndPetrolCarryTheirValues) {
    EXPECT_EQ(RuntimeCommand::parse("fuel petrol").fuel, EngineFuel::Petrol);
    EXPECT_EQ(RuntimeCommand::parse("fuel gas").fuel, EngineFuel::Gas);
    EXPECT_EQ(RuntimeCommand::parse("petrol 896").petrol, 896);
}

TEST(RuntimeCommand, SwapCarriesTheWholeSet) {
    const RuntimeCommand command =
        RuntimeCommand::parse("swap 0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,255");
    ASSERT_EQ(command.kind, Kind::Swap);
    EXPECT_EQ(command.parameters[0], 0);
    EXPECT_EQ(command.parameters[7], 7);
    EXPECT_EQ(command.parameters[15], 255);
}

TEST(LineBuffer, HandsOutWholeLinesAcrossPieces) {
    LineBuffer buffer;
    EXPECT_TRUE(buffer.feed("sil").empty());
    EXPECT_EQ(buffer.feed("ent\ntalk\nqu"), (std::vector<std::string>{"silent", "talk"}));
    EXPECT_EQ(buffer.finish(), "qu");
    EXPECT_EQ(buffer.finish(), "");
}

}  // namespace
