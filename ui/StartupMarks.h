// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

// Where start-up spends its time: with DX470_STARTUP_MARKS set in the
// environment, each mark prints the milliseconds since the first one to
// standard error; without it a mark costs one test of a flag.
namespace StartupMarks {
void Mark(const char* what);
}
