// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "history/DifferenceReport.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <limits>

namespace {

// Whole microseconds divided once, so cell 9 starts at the same double as
// the literal 9.216 rather than at 9 x 1.024 rounded twice.
constexpr double kCellMicroseconds = 1024;

double CellStartMs(int k) {
    return k * kCellMicroseconds / 1000;
}

// Sets read from a damaged file may hold any value; the difference of two
// far-apart ones is held at the ends of the range instead of wrapping.
std::int32_t Difference(std::int32_t before, std::int32_t after) {
    const std::int64_t difference = std::int64_t{after} - before;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(difference, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

template <typename Number>
void Append(std::string& text, Number value) {
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

// to_chars rather than printf: the program sets the user's locale, and the
// report must read "3.072" in every language.
void AppendMs(std::string& text, double ms) {
    char digits[32];
    const auto end =
        std::to_chars(digits, digits + sizeof digits, ms, std::chars_format::fixed, 3).ptr;
    text.append(digits, end);
}

}  // namespace

std::vector<ParamDifference> Differences(const PanelParams& before, const PanelParams& after) {
    std::vector<ParamDifference> rows;
    for (int k = 0; k < kParamCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (before[i] == after[i]) continue;
        rows.push_back({k, before[i], after[i], Difference(before[i], after[i]), CellStartMs(k),
                        CellStartMs(k + 1)});
    }
    return rows;
}

ParamMask DifferingParams(const PanelParams& before, const PanelParams& after) {
    ParamMask mask = 0;
    for (int k = 0; k < kParamCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (before[i] != after[i]) mask = static_cast<ParamMask>(mask | (1u << k));
    }
    return mask;
}

// The headings are parted by tabs like the rows, so the report pastes into a
// spreadsheet as a table; no change reads "0", without a sign.
std::string FormatReport(const std::vector<ParamDifference>& rows,
                         const std::vector<std::string>& headings) {
    std::string text;
    for (std::size_t i = 0; i < headings.size(); ++i) {
        if (i > 0) text += '\t';
        text += headings[i];
    }
    text += '\n';
    for (const ParamDifference& row : rows) {
        Append(text, row.k);
        text += '\t';
        AppendMs(text, row.petrolFromMs);
        text += '-';
        AppendMs(text, row.petrolToMs);
        text += '\t';
        Append(text, row.before);
        text += '\t';
        Append(text, row.after);
        text += '\t';
        if (row.difference > 0) text += '+';
        Append(text, row.difference);
        text += '\n';
    }
    return text;
}
