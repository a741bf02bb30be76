// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

// Identifiers of the calibration window's controls and menu commands. The link
// logic addresses the window through them.
namespace ControlId {
inline constexpr int kExitButton = 2;
inline constexpr int kPetrolReadout = 1002;
inline constexpr int kPetrolBar = 1004;
inline constexpr int kGasReadout = 1005;
inline constexpr int kGasBar = 1006;
inline constexpr int kLambdaReadout = 1007;
inline constexpr int kLambdaBar = 1008;
inline constexpr int kWriteButton = 1013;
inline constexpr int kPetrolLabel = 1014;
inline constexpr int kGasLabel = 1015;
inline constexpr int kLambdaLabel = 1016;
inline constexpr int kParamRowLabel = 1017;
inline constexpr int kSerialControl = 1039;

constexpr int ParamEdit(int k) {
    return k == 0 ? 1009 : 1079 + 2 * k;
}
constexpr int ParamSpin(int k) {
    return k == 0 ? 1012 : 1080 + 2 * k;
}
constexpr int CellMarker(int k) {
    return k < 4 ? 1020 + k : 1022 + k;
}
inline constexpr int kFirstMarker = 1020;
inline constexpr int kLastMarker = 1037;
}  // namespace ControlId

namespace CommandId {
inline constexpr int kFileOpen = 32771;
inline constexpr int kFileSave = 32772;
inline constexpr int kFileExit = 32773;
inline constexpr int kHelpAbout = 32774;
inline constexpr int kChinese = 32776;
inline constexpr int kEnglish = 32786;
inline constexpr int kPortAuto = 32788;
inline constexpr int kPortOffline = 32789;
inline constexpr int kHelp = 57670;
// The session log's commands, in the File menu.
inline constexpr int kReplayLog = 32797;
inline constexpr int kAddMark = 32798;
inline constexpr int kOpenLogFolder = 32799;
inline constexpr int kRecordLogs = 32800;
// The chart and the cell statistics, in the File menu too.
inline constexpr int kShowChart = 32801;
inline constexpr int kShowCells = 32802;
// The panel's history and the curve editor, in the File menu as well: a menu
// of their own would move the titles the window addresses by position.
inline constexpr int kUndo = 32803;
inline constexpr int kRedo = 32804;
inline constexpr int kShowCurve = 32805;
inline constexpr int kShowHistory = 32806;
// The link health window, in the File menu after them.
inline constexpr int kShowLinkHealth = 32807;

// The OBD-II adapter's submenu, in the File menu after the link health: none
// or COMn, and the fuel the engine runs on.
inline constexpr int kObdNone = 32808;
constexpr int ObdPort(int n) {
    return 32810 + n;
}
inline constexpr int kFuelPetrol = 32830;
inline constexpr int kFuelGas = 32831;

// COM3 breaks the order of the port commands.
constexpr int SelectPort(int n) {
    if (n == 3) return 32785;
    if (n <= 2) return 32776 + n;
    if (n <= 9) return 32775 + n;
    return 32780 + n;
}
inline constexpr int kFirstHandPort = 1;
inline constexpr int kLastHandPort = 16;
}  // namespace CommandId

namespace TimerId {
inline constexpr int kSupervision = 100;
inline constexpr int kSend = 101;
inline constexpr int kSupervisionPeriodMs = 200;
inline constexpr int kSendPeriodMs = 100;
}  // namespace TimerId
