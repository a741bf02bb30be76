// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "log/LogReader.h"

#include <utility>

namespace {
// Room is made for a tenth more frames than the rows so far promise.
constexpr std::uint64_t kRoomTenths = 11;
}  // namespace

void LogReader::Read(std::string_view text) {
    bytesRead_ += text.size();
    while (!text.empty() && MayBeALog()) {
        const std::size_t end = text.find('\n');
        const bool ended = end != std::string_view::npos;
        const std::string_view part = text.substr(0, end);
        text.remove_prefix(ended ? end + 1 : text.size());
        if (passingLongRow_) {
            passingLongRow_ = !ended;
        } else if (partial_.size() + part.size() > kLongestLogRow) {
            partial_.clear();
            TakeLongRow();
            passingLongRow_ = !ended;
        } else if (!ended) {
            partial_.append(part);
        } else if (partial_.empty()) {
            TakeRow(part);
        } else {
            partial_.append(part);
            TakeRow(partial_);
            partial_.clear();
        }
    }
}

void LogReader::ExpectBytes(std::uint64_t totalBytes) {
    if (bytesRead_ == 0 || totalBytes <= bytesRead_) return;
    const std::uint64_t frames = log_.frames.size();
    const std::uint64_t expected = frames * totalBytes / bytesRead_ * kRoomTenths / 10;
    log_.frames.reserve(static_cast<std::size_t>(expected));
}

ParsedLog LogReader::Finish() {
    if (!partial_.empty()) TakeRow(partial_);
    partial_.clear();
    passingLongRow_ = false;
    return std::exchange(log_, {});
}

void LogReader::TakeRow(std::string_view row) {
    if (row.ends_with('\r')) row.remove_suffix(1);
    switch (stage_) {
        case Stage::ColumnRow:
            log_.recognised = IsColumnRow(row);
            log_.withObd = IsObdColumnRow(row);
            stage_ = log_.recognised ? Stage::UnitRow : Stage::NoLog;
            return;
        case Stage::UnitRow:
            stage_ = Stage::Rows;
            return;
        case Stage::NoLog:
            return;
        case Stage::Rows:
            break;
    }
    if (row.empty()) return;
    if (auto frame = ParseFrameRow(row, log_.withObd)) {
        if (!log_.frames.empty() && frame->timeUs < log_.frames.back().timeUs) {
            ++log_.skipped.backwards;
        } else {
            log_.frames.push_back(*frame);
        }
    } else if (auto event = ParseEventRow(row)) {
        log_.events.emplace_back(log_.frames.size(), std::move(*event));
    } else {
        ++log_.skipped.unreadable;
    }
}

void LogReader::TakeLongRow() {
    if (stage_ == Stage::Rows) {
        ++log_.skipped.tooLong;
    } else {
        // As any other row there: the column row is then no log's, the unit
        // row is passed over.
        TakeRow({});
    }
}
