// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

// What dx470ctl's exit status says; the help text and the manual page list
// them from CommandLine.cpp.
namespace ExitCode {
inline constexpr int kDone = 0;
inline constexpr int kUsage = 1;
inline constexpr int kNoPort = 2;
inline constexpr int kNoLink = 3;
inline constexpr int kNotEchoed = 4;
inline constexpr int kBadFile = 5;
inline constexpr int kVerifyFailed = 6;
// As a shell reports a program ended by SIGINT.
inline constexpr int kInterrupted = 130;
}  // namespace ExitCode
