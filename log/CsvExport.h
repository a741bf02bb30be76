// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <string>

#include "log/LogFormat.h"

// A session log as CSV, for a spreadsheet or a virtual dyno: one header row
// with each column's unit, then a row per frame with the numbers exactly as
// the log holds them (the decimal point a point), and the events that came
// before a frame in its last column, quoted when need be. Comma-separated by
// default; a semicolon for spreadsheets that take the comma as their decimal
// sign. A log with OBD columns gives five more before the events, the
// petrol ECU's readings as the log has them.
inline constexpr char kCsvComma = ',';
inline constexpr char kCsvSemicolon = ';';

std::string CsvHeader(char separator, bool withObd = false);
// The rows of a log read back, the header first, each row ended by CR LF as
// RFC 4180 has it. The OBD columns are there when the log's header had them
// or a frame carries readings.
std::string CsvOfLog(const ParsedLog& log, char separator);
// A field quoted when it has to be: a separator, a quote or a line end in it.
std::string CsvField(const std::string& text, char separator);
