// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "log/SessionRecord.h"

// The text of a session log, as log viewers read it: tab-separated, a row of
// column names, a row of units, then one row per frame shown:
//
//   Time  Cell  Petrol  Gas  Lambda   Band  Param  Mark
//   s           ms      ms   V
//   1.250 3     3.068   3.079 0.44934 -1    100    0
//
// Time in seconds since the log began, petrol and gas times in milliseconds,
// lambda in volts with enough decimals to give back the exact reading; Band
// -1 low, 0 middle, 1 high. An event is a row of its own, "MARK n - text",
// and the next frame's Mark column carries its number. The decimal point is a
// point whatever the locale.

inline constexpr char kLogExtension[] = ".msl";

// The two header rows, each ended by a newline.
std::string LogHeader();

// Appends one frame's row; frame.timeUs counts from the start of the log.
void AppendFrameRow(std::string& text, const SessionFrame& frame);
// Appends one event's row.
void AppendEventRow(std::string& text, const SessionEvent& event);

// What is read back from a log's text.
struct ParsedLog {
    // The header rows were found: the text is a log at all.
    bool recognised = false;
    // Times count from the start of the log.
    std::vector<SessionFrame> frames;
    // Each event with the number of frames that came before it.
    std::vector<std::pair<std::size_t, SessionEvent>> events;
    // Rows that could not be read (a cut last row, an edited one); skipped.
    std::size_t badRows = 0;
};

// Reads a log; numbers may carry a comma instead of the point (a log saved
// again by a spreadsheet), rows end with LF or CR LF.
ParsedLog ParseLog(std::string_view text);
