// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <ctime>
#include <string>

// Where logs go and what they are called: one file per link, named after the
// local time the link came up, with the parameter set at its start and at its
// end beside it.

// The folder in the user's documents folder.
inline constexpr char kLogFolderName[] = "DX470 logs";

// "DX470_2026-03-01_14.05.09.msl" for the first attempt; a later attempt
// (another log began in the same second) gets "_2", "_3"... before the extension.
std::string LogFileName(const std::tm& localTime, int attempt = 1);

enum class Snapshot { Start, End };
// The snapshot beside a log: "..._start.tq4" or "..._end.tq4" in place of ".msl".
std::string SnapshotPath(const std::string& logPath, Snapshot moment);
