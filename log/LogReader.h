// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "log/LogFormat.h"

// Reads a log's text as it comes, in pieces cut anywhere, so a log is read
// without ever being held whole: of the text only a row begun in one piece
// and ended in a later one is kept, and never more than kLongestLogRow bytes
// of it. A longer row is counted as skipped as soon as it is seen to be, and
// its bytes are passed over up to its line end.
class LogReader {
public:
    void Read(std::string_view text);
    // Room for the frames of a log of this many bytes, judged by the rows
    // read so far, so that a long log's frames are not moved as they grow.
    void ExpectBytes(std::uint64_t totalBytes);
    // False once the first row has shown that the text is no log: the rest
    // need not be read.
    bool MayBeALog() const { return stage_ != Stage::NoLog; }
    // The end of the text: a last row without its line end counts too.
    ParsedLog Finish();

private:
    enum class Stage { ColumnRow, UnitRow, Rows, NoLog };

    // A whole row, its line end taken off.
    void TakeRow(std::string_view row);
    void TakeLongRow();

    ParsedLog log_;
    Stage stage_ = Stage::ColumnRow;
    std::string partial_;
    // The row being read is longer than kLongestLogRow: its bytes are
    // passed over up to its line end.
    bool passingLongRow_ = false;
    std::uint64_t bytesRead_ = 0;
};
