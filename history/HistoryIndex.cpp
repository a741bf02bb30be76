// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "history/HistoryIndex.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <set>
#include <utility>

namespace {

constexpr std::array<std::pair<RestoreCause, std::string_view>, 7> kCauseNames{{
    {RestoreCause::LinkUp, "link-up"},
    {RestoreCause::Store, "store"},
    {RestoreCause::FileLoad, "file-load"},
    {RestoreCause::ReplayStart, "replay"},
    {RestoreCause::CellsApply, "cells-apply"},
    {RestoreCause::OtherControllerLoaded, "other-controller"},
    {RestoreCause::Restore, "restore"},
}};

// A note's characters that would end its field or its line, or be taken
// for an escape, and the letters that stand for them after a backslash.
constexpr std::string_view kEscapedChars = "\\\t\n\r";
constexpr std::string_view kEscapeLetters = "\\tnr";

constexpr std::size_t kFieldCount = 6;
constexpr std::size_t kFingerprintDigits = 2 * kParamCount;
constexpr std::string_view kHexDigits = "0123456789abcdef";

// from_chars takes no sign, no spaces and no locale, and reports a number
// too long for the type instead of wrapping it; anything left over makes
// the whole field no number.
template <typename Integer>
std::optional<Integer> WholeNumber(std::string_view field) {
    Integer value{};
    const char* const end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

int HexValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
    return -1;
}

// One line's point, without its line end; nothing when it is not a whole
// one. Numbers used twice are the caller's to find.
std::optional<RestorePoint> PointOfLine(std::string_view line) {
    std::array<std::string_view, kFieldCount> fields;
    std::size_t count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        if (count == kFieldCount) return std::nullopt;
        fields[count++] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    if (count != kFieldCount) return std::nullopt;

    const std::optional<std::uint64_t> number = WholeNumber<std::uint64_t>(fields[0]);
    const std::optional<std::int64_t> time = WholeNumber<std::int64_t>(fields[1]);
    const std::optional<RestoreCause> cause = CauseNamed(fields[2]);
    if (!number || *number == 0 || !time || !cause) return std::nullopt;
    if (!IsPlainFileName(fields[3]) || !IsPlainFileName(fields[4])) return std::nullopt;

    RestorePoint point;
    point.number = *number;
    point.timeMs = *time;
    point.cause = *cause;
    point.panelFile = std::string(fields[3]);
    point.storedFile = std::string(fields[4]);
    point.note = UnescapeNote(fields[5]);
    return point;
}

}  // namespace

std::string_view CauseName(RestoreCause cause) {
    for (const auto& [known, name] : kCauseNames) {
        if (known == cause) return name;
    }
    return {};
}

std::optional<RestoreCause> CauseNamed(std::string_view name) {
    for (const auto& [cause, known] : kCauseNames) {
        if (known == name) return cause;
    }
    return std::nullopt;
}

std::string EscapeNote(std::string_view note) {
    std::string escaped;
    escaped.reserve(note.size());
    for (const char c : note) {
        const std::size_t at = kEscapedChars.find(c);
        if (at == std::string_view::npos) {
            escaped += c;
        } else {
            escaped += '\\';
            escaped += kEscapeLetters[at];
        }
    }
    return escaped;
}

std::string UnescapeNote(std::string_view escaped) {
    std::string note;
    note.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const std::size_t at = escaped[i] == '\\' && i + 1 < escaped.size()
                                   ? kEscapeLetters.find(escaped[i + 1])
                                   : std::string_view::npos;
        // Any other backslash stays, and the character after it is read as
        // itself on the next pass.
        if (at == std::string_view::npos) {
            note += escaped[i];
        } else {
            note += kEscapedChars[at];
            ++i;
        }
    }
    return note;
}

std::string FormatIndex(const std::vector<RestorePoint>& points) {
    std::string text(kIndexHeader);
    text += '\n';
    for (const RestorePoint& point : points) {
        text += std::to_string(point.number);
        text += '\t';
        text += std::to_string(point.timeMs);
        text += '\t';
        text += CauseName(point.cause);
        text += '\t';
        text += point.panelFile;
        text += '\t';
        text += point.storedFile;
        text += '\t';
        text += EscapeNote(point.note);
        text += '\n';
    }
    return text;
}

// A carriage return at a line's end is let go, on the header too: what we
// write never holds a raw one (a note's is escaped), so it can only come from
// an editor or a copy that turned the line ends into "\r\n", and reading
// such a file whole beats losing every point to it. A carriage return
// anywhere else is left to the field it is in.
ParsedIndex ParseIndex(std::string_view text) {
    ParsedIndex parsed;
    std::set<std::uint64_t> numbers;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        ++lineNumber;
        const std::size_t end = text.find('\n', start);
        const bool ended = end != std::string_view::npos;
        std::string_view line = text.substr(start, ended ? end - start : std::string_view::npos);
        start = ended ? end + 1 : text.size();
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        // The header cut short of its line end still names the format; it
        // simply has no points after it.
        if (lineNumber == 1) {
            if (line != kIndexHeader) return {};
            parsed.known = true;
            continue;
        }
        // A number seen before leaves the first line with it as it was.
        std::optional<RestorePoint> point;
        if (ended) point = PointOfLine(line);
        if (!point || !numbers.insert(point->number).second) {
            parsed.damagedLines.push_back(lineNumber);
            continue;
        }
        parsed.points.push_back(std::move(*point));
    }
    return parsed;
}

std::vector<RestorePoint> PointsBeyond(const std::vector<RestorePoint>& points, std::size_t limit) {
    if (points.size() <= limit) return {};
    std::vector<RestorePoint> oldestFirst = points;
    std::stable_sort(
        oldestFirst.begin(), oldestFirst.end(),
        [](const RestorePoint& a, const RestorePoint& b) { return a.number < b.number; });
    oldestFirst.resize(points.size() - limit);
    return oldestFirst;
}

// A backslash is refused as well as a slash so that a name read on Windows
// cannot climb out of the folder either.
bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string FingerprintOf(const PanelParams& stored) {
    std::string fingerprint;
    fingerprint.reserve(kFingerprintDigits);
    for (const std::int32_t value : stored) {
        // Only a damaged set holds more than a byte; its low byte is what the
        // wire would carry.
        const auto byte = static_cast<std::uint8_t>(value);
        fingerprint += kHexDigits[byte >> 4];
        fingerprint += kHexDigits[byte & 0x0F];
    }
    return fingerprint;
}

// Upper-case digits are read too: a folder name typed or copied by hand
// still names the same set.
std::optional<PanelParams> SetOfFingerprint(std::string_view fingerprint) {
    if (fingerprint.size() != kFingerprintDigits) return std::nullopt;
    PanelParams set{};
    for (std::size_t k = 0; k < set.size(); ++k) {
        const int high = HexValue(fingerprint[2 * k]);
        const int low = HexValue(fingerprint[2 * k + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        set[k] = high * 16 + low;
    }
    return set;
}
