// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "log/CsvExport.h"

#include <algorithm>
#include <array>

namespace {
constexpr char kRowEnd[] = "\r\n";
constexpr std::array<const char*, 9> kColumns = {
    "Time (s)", "Cell",      "Petrol (ms)", "Gas (ms)", "Lambda (V)",
    "Band",     "Parameter", "Mark",        "Events",
};

// A frame's fields as the log writes them, tab-separated; the log's own
// formatting keeps every number as exact as the log.
std::string FrameFields(const SessionFrame& frame, char separator) {
    std::string row;
    AppendFrameRow(row, frame);
    if (!row.empty() && row.back() == '\n') row.pop_back();
    std::replace(row.begin(), row.end(), '\t', separator);
    return row;
}

std::string EventText(const SessionEvent& event) {
    std::string row;
    AppendEventRow(row, event);
    while (!row.empty() && (row.back() == '\n' || row.back() == '\r')) row.pop_back();
    return row;
}
}  // namespace

std::string CsvField(const std::string& text, char separator) {
    if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string CsvHeader(char separator) {
    std::string header;
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        if (i != 0) header += separator;
        header += CsvField(kColumns[i], separator);
    }
    return header + kRowEnd;
}

// Events after the last frame have no frame to go with and come in a row of
// their own, with the other fields empty.
std::string CsvOfLog(const ParsedLog& log, char separator) {
    std::string csv = CsvHeader(separator);
    std::size_t event = 0;
    auto eventsBefore = [&](std::size_t frames) {
        std::string events;
        for (; event < log.events.size() && log.events[event].first <= frames; ++event) {
            if (!events.empty()) events += "; ";
            events += EventText(log.events[event].second);
        }
        return events;
    };
    for (std::size_t i = 0; i < log.frames.size(); ++i) {
        const std::string events = eventsBefore(i);
        csv += FrameFields(log.frames[i], separator) + separator + CsvField(events, separator) +
               kRowEnd;
    }
    const std::string after = eventsBefore(log.frames.size());
    if (!after.empty()) {
        csv += std::string(kColumns.size() - 1, separator) + CsvField(after, separator) + kRowEnd;
    }
    return csv;
}
