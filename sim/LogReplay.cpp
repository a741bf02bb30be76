// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/LogReplay.h"

#include <algorithm>
#include <stdexcept>
#include <variant>

#include "files/ParamFile.h"
#include "files/PlainFile.h"
#include "log/LogFile.h"
#include "log/LogNames.h"

namespace {
// An hour at line rate is about 30 MB.
constexpr std::size_t kMostLogBytes = std::size_t{1} << 30;

// Reads the log in pieces, refused by its size before any byte is read.
ParsedLog ReadOrThrow(const std::string& path) {
    using Outcome = LogFileRead::Outcome;
    LogFileRead read = ReadLogFile(path, kMostLogBytes);
    switch (read.outcome) {
        case Outcome::Read:
        case Outcome::Stopped:
            break;
        case Outcome::TooLarge:
            throw std::runtime_error(path + ": too long");
        case Outcome::ReadFailed:
            throw std::runtime_error(path + ": " + read.reason);
        case Outcome::NotAFile:
            throw std::runtime_error(path + ": not a file");
        case Outcome::CannotOpen:
            throw std::runtime_error(path + ": cannot be opened");
    }
    return std::move(read.log);
}

// The set saved at the log's start, if it is there and whole.
std::optional<ControllerModel::Parameters> ReadStartParameters(const std::string& logPath) {
    FileRead read = ReadRegularFile(SnapshotPath(logPath, Snapshot::Start), kParamFileSize);
    const auto* bytes = std::get_if<FileBytes>(&read);
    if (bytes == nullptr || bytes->size() != kParamFileSize) return std::nullopt;
    PanelParams panel{};
    DecodeParamFile(*bytes, panel);
    ControllerModel::Parameters parameters{};
    for (std::size_t k = 0; k < parameters.size(); ++k) {
        parameters[k] = static_cast<std::uint8_t>(SpinPositionFor(panel[k]));
    }
    return parameters;
}
}  // namespace

LogReplay::LogReplay(const std::string& path) {
    ParsedLog log = ReadOrThrow(path);
    if (!log.recognised) throw std::runtime_error(path + ": not a session log");
    if (log.frames.empty()) throw std::runtime_error(path + ": the log holds no frames");
    frames_ = std::move(log.frames);
    startParameters_ = ReadStartParameters(path);
}

void LogReplay::start(Time now) {
    started_ = true;
    start_ = now;
}

// A log's times reach further than the clock's nanoseconds (292 years): a
// frame past them is due at the clock's end.
LogReplay::Time LogReplay::deadline() const {
    const auto latest = std::chrono::duration_cast<std::chrono::microseconds>(Time::max() - start_);
    const std::int64_t offsetUs =
        std::min(frames_[next_].timeUs - frames_.front().timeUs, latest.count());
    return start_ + std::chrono::microseconds(offsetUs);
}

std::optional<SessionFrame> LogReplay::takeDue(Time now) {
    if (!running() || now < deadline()) return std::nullopt;
    return frames_[next_++];
}
