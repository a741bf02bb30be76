// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstddef>
#include <optional>
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
//
// A log begun with OBD columns has five more, the petrol ECU's readings:
//
//   ... Param  Mark  STFT   LTFT   RPM      Coolant  Load
//   ...              %      %      rpm      °C       %
//   ... 100    0     -3.12  1.56   2412.25  88       31.4
//
// Trims and engine speed with two decimals, coolant whole degrees, load with
// one decimal: each gives back its PID's byte exactly. The five are empty on
// a frame that ended no round, and one is empty for a PID that did not
// answer. Such a log may still hold rows of the eight columns alone.

inline constexpr char kLogExtension[] = ".msl";

// The two header rows, each ended by a newline.
std::string LogHeader(bool withObd = false);

// Appends one frame's row; frame.timeUs counts from the start of the log.
// Without withObd the row has the eight columns, whatever frame.obd holds.
void AppendFrameRow(std::string& text, const SessionFrame& frame, bool withObd = false);
// Appends one event's row.
void AppendEventRow(std::string& text, const SessionEvent& event);
// What an event's row says after "MARK n - ".
std::string EventTextOf(const SessionEvent& event);
// The five OBD fields a row would have for these readings, in the columns'
// order; empty for a PID that did not answer.
std::array<std::string, 5> ObdFieldTexts(const ObdReadings& readings);

// The longest row a log may hold, in bytes before its LF. The longest the
// program writes is an event naming a loaded file, under 1 KiB (a name of 255
// characters of up to three bytes each); a row longer than this is no row of
// a log, and is skipped as soon as it is seen to be, never held.
inline constexpr std::size_t kLongestLogRow = 4096;

// Rows of a log that were skipped, by why.
struct SkippedRows {
    // Not a frame or an event: a row cut by a crash, an edited one.
    std::size_t unreadable = 0;
    // Longer than kLongestLogRow.
    std::size_t tooLong = 0;
    // A frame before the one before it: times never run back in a log the
    // program wrote.
    std::size_t backwards = 0;

    std::size_t Total() const { return unreadable + tooLong + backwards; }
    bool operator==(const SkippedRows&) const = default;
};

// What is read back from a log's text.
struct ParsedLog {
    // The header rows were found: the text is a log at all.
    bool recognised = false;
    // Its header has the OBD columns.
    bool withObd = false;
    // Times count from the start of the log.
    std::vector<SessionFrame> frames;
    // Each event with the number of frames that came before it.
    std::vector<std::pair<std::size_t, SessionEvent>> events;
    SkippedRows skipped;
};

// Reads a log; numbers may carry a comma instead of the point (a log saved
// again by a spreadsheet), rows end with LF or CR LF. (LogReader reads one
// that comes in pieces.)
ParsedLog ParseLog(std::string_view text);

// One row of a log, its line end taken off. A column row is either log's;
// a frame row has the eight columns, or the thirteen of a log with OBD
// columns.
bool IsColumnRow(std::string_view row);
bool IsObdColumnRow(std::string_view row);
std::optional<SessionFrame> ParseFrameRow(std::string_view row, bool withObd = false);
std::optional<SessionEvent> ParseEventRow(std::string_view row);
