// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include "ui/ControlIds.h"
#include "ui/MenuBar.h"

namespace {

struct ParamControls {
    int edit;
    int spin;
    int marker;
};

// Edit, spin and cell marker of parameter k, k = 0..15.
const ParamControls kParamControls[16] = {
    {1009, 1012, 1020}, {1081, 1082, 1021}, {1083, 1084, 1022}, {1085, 1086, 1023},
    {1087, 1088, 1026}, {1089, 1090, 1027}, {1091, 1092, 1028}, {1093, 1094, 1029},
    {1095, 1096, 1030}, {1097, 1098, 1031}, {1099, 1100, 1032}, {1101, 1102, 1033},
    {1103, 1104, 1034}, {1105, 1106, 1035}, {1107, 1108, 1036}, {1109, 1110, 1037},
};

TEST(ControlIdsTest, ParameterControlsByIndex) {
    for (int k = 0; k < 16; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(ControlId::ParamEdit(k), kParamControls[k].edit);
        EXPECT_EQ(ControlId::ParamSpin(k), kParamControls[k].spin);
        EXPECT_EQ(ControlId::CellMarker(k), kParamControls[k].marker);
    }
}

TEST(ControlIdsTest, ReadoutsAndBars) {
    EXPECT_EQ(ControlId::kPetrolReadout, 1002);
    EXPECT_EQ(ControlId::kPetrolBar, 1004);
    EXPECT_EQ(ControlId::kGasReadout, 1005);
    EXPECT_EQ(ControlId::kGasBar, 1006);
    EXPECT_EQ(ControlId::kLambdaReadout, 1007);
    EXPECT_EQ(ControlId::kLambdaBar, 1008);
    EXPECT_EQ(ControlId::kWriteButton, 1013);
    EXPECT_EQ(TimerId::kSupervision, 100);
    EXPECT_EQ(TimerId::kSupervisionPeriodMs, 200);
    EXPECT_EQ(TimerId::kSend, 101);
    EXPECT_EQ(TimerId::kSendPeriodMs, 100);
}

TEST(PortMenu, CommandIdsAndMarkPositions) {
    using Kind = WindowOps::PortChoice::Kind;
    const int ids[17] = {0,     32777, 32778, 32785, 32779, 32780, 32781, 32782, 32783,
                         32784, 32790, 32791, 32792, 32793, 32794, 32795, 32796};
    for (int port = CommandId::kFirstHandPort; port <= CommandId::kLastHandPort; ++port) {
        EXPECT_EQ(CommandId::SelectPort(port), ids[port]) << "COM" << port;
        EXPECT_EQ(MenuBar::PortPosition({Kind::Port, port}), port + 2);
    }
    EXPECT_EQ(MenuBar::PortPosition({Kind::Auto}), 0);
    EXPECT_EQ(MenuBar::PortPosition({Kind::Offline}), 1);
    EXPECT_EQ(CommandId::kPortAuto, 32788);
    EXPECT_EQ(CommandId::kPortOffline, 32789);
}

}  // namespace
