// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "log/SessionLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "files/ParamFile.h"
#include "files/PlainFile.h"
#include "log/LogFormat.h"
#include "log/LogNames.h"

namespace {
// Logs begun in the same second get numbered names; beyond this many
// something else is wrong.
constexpr int kNameAttempts = 100;
#ifdef _WIN32
constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_BINARY;
#else
// Never over another log, never handed to a child.
constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
#endif
constexpr int kNewFileMode = 0666;

// What a write of all the bytes came to: how many were written, and the
// system's errno when it stopped short (else 0).
struct Written {
    std::size_t bytes;
    int error;
};

// Goes on where the system cut a write short, so that the next attempt
// tells why it stopped.
Written WriteAll(int file, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto written = ::write(file, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return {done, errno};
        if (written == 0) return {done, EIO};
        done += static_cast<std::size_t>(written);
    }
    return {done, 0};
}

// The bytes of the whole rows at the start of text.
std::size_t WholeRows(std::string_view text) {
    const std::size_t lastEnd = text.rfind('\n');
    return lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
}

// Over a regular file or under a new name only: a link to a device node at
// the snapshot's name stays as it is, and so does the node.
std::optional<SessionLog::Failure> WriteSnapshot(const std::string& path,
                                                 const PanelParams& panel) {
    const FileKind kind = KindAt(path);
    if (!MayWriteOver(kind)) return SessionLog::Failure{path, RefusalText(kind)};
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
    Close();
}

std::optional<SessionLog::Failure> SessionLog::Begin(const std::string& folder,
                                                     const std::tm& localTime, std::int64_t startUs,
                                                     const PanelParams& panel, bool withObd) {
    Close();
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) return Failure{folder, made.message()};
    for (int attempt = 1; attempt <= kNameAttempts && !IsOpen(); ++attempt) {
        path_ = folder + "/" + LogFileName(localTime, attempt);
        file_ = ::open(path_.c_str(), kCreateFlags, kNewFileMode);
        if (!IsOpen() && errno != EEXIST) return Failure{path_, std::strerror(errno)};
    }
    if (!IsOpen()) return Failure{path_, std::strerror(EEXIST)};
    fileBytes_ = 0;
    startUs_ = startUs;
    lastMark_ = 0;
    markForNextFrame_ = 0;
    withObd_ = withObd;
    pending_ = LogHeader(withObd);
    if (auto failure = Flush()) return failure;
    if (auto failure = WriteSnapshot(SnapshotPath(path_, Snapshot::Start), panel)) {
        Close();
        return failure;
    }
    return std::nullopt;
}

void SessionLog::AddFrame(SessionFrame frame) {
    if (!IsOpen()) return;
    frame.timeUs -= startUs_;
    frame.mark = markForNextFrame_;
    markForNextFrame_ = 0;
    AppendFrameRow(pending_, frame, withObd_);
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
    // Writes to a file deleted with its folder still succeed, into nothing: a
    // log that is nowhere any more is a failure like a full disk. One whose
    // folder was renamed is still there, and the rows go on into it.
    struct stat status {};
    if (::fstat(file_, &status) != 0) return Fail(path_, errno);
    if (status.st_nlink == 0) return Fail(path_, ENOENT);
    const Written written = WriteAll(file_, pending_);
    if (written.error != 0) {
        // The row the write cut is taken back: the file holds whole rows.
        const std::uint64_t whole = fileBytes_ + WholeRows({pending_.data(), written.bytes});
        if (::ftruncate(file_, static_cast<off_t>(whole)) == 0) fileBytes_ = whole;
        return Fail(path_, written.error);
    }
    fileBytes_ += pending_.size();
    pending_.clear();
    return std::nullopt;
}

std::optional<SessionLog::Failure> SessionLog::End(const PanelParams& panel) {
    if (!IsOpen()) return std::nullopt;
    if (auto failure = Flush()) return failure;
    if (const int error = Close(); error != 0) return Failure{path_, std::strerror(error)};
    return WriteSnapshot(SnapshotPath(path_, Snapshot::End), panel);
}

int SessionLog::Close() {
    if (!IsOpen()) return 0;
    const int closed = ::close(file_);
    file_ = -1;
    return closed == 0 ? 0 : errno;
}

std::optional<SessionLog::Failure> SessionLog::Fail(const std::string& path, int error) {
    Close();
    pending_.clear();
    return Failure{path, std::strerror(error)};
}
