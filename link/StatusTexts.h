// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

// Status-bar texts; the same in both interface languages.
inline constexpr const char* kTextSearching = "COM Searching...";
inline constexpr const char* kTextWaiting = "COM Waiting...";
inline constexpr const char* kTextStop = "COM Stop";
inline constexpr const char* kTextOpenFailed = "COM Open Failed!";
inline constexpr const char* kTextNoTime = "Time:";
inline constexpr const char* kPortErrorCaption = "端口错误";
