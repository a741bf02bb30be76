// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "log/SessionLog.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "files/ParamFile.h"
#include "log/LogFormat.h"
#include "log/LogNames.h"

namespace {
// Logs begun in the same second get numbered names; beyond this many
// something else is wrong.
constexpr int kNameAttempts = 100;

std::optional<SessionLog::Failure> WriteSnapshot(const std::string& path,
                                                 const PanelParams& panel) {
    const ParamFileBytes bytes = EncodeParamFile(panel);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return SessionLog::Failure{path, std::strerror(errno)};
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        return SessionLog::Failure{path, std::strerror(written ? errno : writeErrno)};
    }
    return std::nullopt;
}
}  // namespace

SessionLog::SessionLog() = default;
SessionLog::~SessionLog() {
    Flush();
}

std::optional<SessionLog::Failure> SessionLog::Begin(const std::string& folder,
                                                     const std::tm& localTime, std::int64_t startUs,
                                                     const PanelParams& panel) {
    file_.reset();
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) return Failure{folder, made.message()};
    for (int attempt = 1; attempt <= kNameAttempts && !file_; ++attempt) {
        path_ = folder + "/" + LogFileName(localTime, attempt);
        // "x": never over another log.
        file_.reset(std::fopen(path_.c_str(), "wbx"));
        if (!file_ && errno != EEXIST) return Failure{path_, std::strerror(errno)};
    }
    if (!file_) return Failure{path_, std::strerror(EEXIST)};
    // The rows are gathered here; the file's own buffer would only copy them.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    startUs_ = startUs;
    lastMark_ = 0;
    markForNextFrame_ = 0;
    pending_ = LogHeader();
    if (auto failure = Flush()) return failure;
    if (auto failure = WriteSnapshot(SnapshotPath(path_, Snapshot::Start), panel)) {
        file_.reset();
        return failure;
    }
    return std::nullopt;
}

void SessionLog::AddFrame(SessionFrame frame) {
    if (!IsOpen()) return;
    frame.timeUs -= startUs_;
    frame.mark = markForNextFrame_;
    markForNextFrame_ = 0;
    AppendFrameRow(pending_, frame);
}

std::int32_t SessionLog::AddEvent(SessionEvent event) {
    if (!IsOpen()) return 0;
    event.number = ++lastMark_;
    markForNextFrame_ = event.number;
    AppendEventRow(pending_, event);
    return event.number;
}

std::optional<SessionLog::Failure> SessionLog::Flush() {
    if (!IsOpen() || pending_.empty()) return std::nullopt;
    // Writes to a file whose folder was deleted still succeed, into nothing:
    // a log that is no longer where it was is a failure like a full disk.
    std::error_code error;
    if (!std::filesystem::exists(path_, error)) {
        errno = error ? error.value() : ENOENT;
        return Fail(path_);
    }
    const std::size_t written = std::fwrite(pending_.data(), 1, pending_.size(), file_.get());
    if (written != pending_.size() || std::fflush(file_.get()) != 0) return Fail(path_);
    pending_.clear();
    return std::nullopt;
}

std::optional<SessionLog::Failure> SessionLog::End(const PanelParams& panel) {
    if (!IsOpen()) return std::nullopt;
    if (auto failure = Flush()) return failure;
    const bool closed = std::fclose(file_.release()) == 0;
    if (!closed) return Failure{path_, std::strerror(errno)};
    return WriteSnapshot(SnapshotPath(path_, Snapshot::End), panel);
}

std::optional<SessionLog::Failure> SessionLog::Fail(const std::string& path) {
    Failure failure{path, std::strerror(errno)};
    file_.reset();
    pending_.clear();
    return failure;
}
