// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "domain/Calibration.h"

// A row of values as text, the way a spreadsheet copies and pastes cells:
// decimal integers separated by tabs. Reading takes what a spreadsheet or a
// hand may give (cells ended by tabs or line ends, so a column pastes too;
// values parted by spaces; blanks around the whole) and is strict about the
// values: an empty cell between two values is refused as an item that is no
// number, since skipping it would move every value after it.

// The selected cells' values, lowest cell first, tab-separated, no line end.
std::string FormatRow(const PanelParams& panel, ParamMask selection);

struct ParsedRow {
    enum class Problem {
        None,
        // Nothing but separators.
        Empty,
        // An item that is not a plain decimal integer ("12a", "1.5", "+5",
        // "+-3", an empty cell); a leading '-' is read, so "-1" is
        // OutOfRange.
        NotANumber,
        // A whole number outside 0..255.
        OutOfRange,
        // More than sixteen values: the seventeenth item, whatever it reads.
        TooMany,
    };
    // Empty when there is a problem, so half a row is never pasted. The
    // first item with a problem is the one reported.
    std::vector<std::int32_t> values;
    Problem problem = Problem::None;
    // For NotANumber and OutOfRange: the offending item as written and its
    // position, counted from 1.
    std::string item;
    int itemNumber = 0;
};

ParsedRow ParseRow(std::string_view text);

// The values placed into the panel from cell first on. False, with the panel
// untouched, when they would run past cell 15 or first is no cell.
bool PlaceRow(PanelParams& panel, int first, const std::vector<std::int32_t>& values);
