// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "edit/ValueRow.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "edit/SelectionOperations.h"

namespace {

// A spreadsheet ends a cell with a tab and a row with a line end; spaces
// part values typed by hand.
constexpr std::string_view kFieldEnds = "\t\n";
constexpr std::string_view kSpaces = " \r";
// Empty cells after the last value move nothing; one before the first does.
constexpr std::string_view kLeadingBlanks = " \r\n";
constexpr std::string_view kTrailingBlanks = " \t\r\n";

ParsedRow Failed(ParsedRow::Problem problem, std::string_view item = {}, int itemNumber = 0) {
    ParsedRow row;
    row.problem = problem;
    row.item = std::string(item);
    row.itemNumber = itemNumber;
    return row;
}

std::string_view Trimmed(std::string_view text, std::string_view leading,
                         std::string_view trailing) {
    const std::size_t last = text.find_last_not_of(trailing);
    if (last == std::string_view::npos) return {};
    text = text.substr(0, last + 1);
    const std::size_t first = text.find_first_not_of(leading);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view Trimmed(std::string_view text, std::string_view blanks) {
    return Trimmed(text, blanks, blanks);
}

// One item's value, or the problem with it.
ParsedRow::Problem Read(std::string_view item, std::int64_t& value) {
    // from_chars reads no locale, no '+', no spaces, and reports a number
    // too long for 64 bits instead of wrapping it.
    const char* const itemEnd = item.data() + item.size();
    const auto [stop, error] = std::from_chars(item.data(), itemEnd, value);
    if (error == std::errc::invalid_argument || stop != itemEnd) {
        return ParsedRow::Problem::NotANumber;
    }
    if (error == std::errc::result_out_of_range || value < kLowestValue || value > kHighestValue) {
        return ParsedRow::Problem::OutOfRange;
    }
    return ParsedRow::Problem::None;
}

}  // namespace

std::string FormatRow(const PanelParams& panel, ParamMask selection) {
    std::string text;
    for (int k = 0; k < kParamCount; ++k) {
        if (!IsSelected(selection, k)) continue;
        if (!text.empty()) text += '\t';
        text += std::to_string(panel[static_cast<std::size_t>(k)]);
    }
    return text;
}

// An empty cell between two values is refused, not skipped: skipping it
// would paste the values after it one cell too early.
ParsedRow ParseRow(std::string_view text) {
    text = Trimmed(text, kLeadingBlanks, kTrailingBlanks);
    if (text.empty()) return Failed(ParsedRow::Problem::Empty);
    ParsedRow row;
    int itemNumber = 0;
    std::size_t fieldStart = 0;
    while (fieldStart <= text.size()) {
        const std::size_t fieldEnd =
            std::min(text.find_first_of(kFieldEnds, fieldStart), text.size());
        std::string_view field = Trimmed(text.substr(fieldStart, fieldEnd - fieldStart), kSpaces);
        fieldStart = fieldEnd + 1;
        if (field.empty()) return Failed(ParsedRow::Problem::NotANumber, field, itemNumber + 1);
        while (!field.empty()) {
            const std::size_t itemEnd = std::min(field.find_first_of(kSpaces), field.size());
            const std::string_view item = field.substr(0, itemEnd);
            field = Trimmed(field.substr(itemEnd), kSpaces);
            if (++itemNumber > kParamCount) return Failed(ParsedRow::Problem::TooMany);
            std::int64_t value = 0;
            const ParsedRow::Problem problem = Read(item, value);
            if (problem != ParsedRow::Problem::None) return Failed(problem, item, itemNumber);
            row.values.push_back(static_cast<std::int32_t>(value));
        }
    }
    return row;
}

bool PlaceRow(PanelParams& panel, int first, const std::vector<std::int32_t>& values) {
    if (first < 0 || first >= kParamCount) return false;
    if (values.size() > static_cast<std::size_t>(kParamCount - first)) return false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        panel[static_cast<std::size_t>(first) + i] = values[i];
    }
    return true;
}
