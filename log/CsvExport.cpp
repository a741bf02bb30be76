// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "log/CsvExport.h"

#include <algorithm>
#include <array>

namespace {
constexpr char kRowEnd[] = "\r\n";
constexpr std::array<const char*, 8> kFrameColumns = {
    "Time (s)", "Cell", "Petrol (ms)", "Gas (ms)", "Lambda (V)", "Band", "Parameter", "Mark",
};
constexpr std::array<const char*, 5> kObdColumns = {
    "Short trim (%)", "Long trim (%)", "Engine speed (rpm)", "Coolant (°C)", "Load (%)",
};
constexpr char kEventsColumn[] = "Events";

// A frame's fields as the log writes them, tab-separated; the log's own
// formatting keeps every number as exact as the log.
std::string FrameFields(const SessionFrame& frame, char separator, bool withObd) {
    std::string row;
    AppendFrameRow(row, frame, withObd);
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

std::string CsvHeader(char separator, bool withObd) {
    std::string header;
    for (const char* column : kFrameColumns) header += CsvField(column, separator) + separator;
    if (withObd) {
        for (const char* column : kObdColumns) header += CsvField(column, separator) + separator;
    }
    return header + CsvField(kEventsColumn, separator) + kRowEnd;
}

// Events after the last frame have no frame to go with and come in a row of
// their own, with the other fields empty.
std::string CsvOfLog(const ParsedLog& log, char separator) {
    const bool withObd =
        log.withObd || std::any_of(log.frames.begin(), log.frames.end(),
                                   [](const SessionFrame& frame) { return frame.obd.has_value(); });
    std::string csv = CsvHeader(separator, withObd);
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
        csv += FrameFields(log.frames[i], separator, withObd) + separator +
               CsvField(events, separator) + kRowEnd;
    }
    const std::string after = eventsBefore(log.frames.size());
    if (!after.empty()) {
        const std::size_t fields = kFrameColumns.size() + (withObd ? kObdColumns.size() : 0);
        csv += std::string(fields, separator) + CsvField(after, separator) + kRowEnd;
    }
    return csv;
}
