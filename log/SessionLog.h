// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "domain/Calibration.h"
#include "log/SessionRecord.h"

// One log file of one link, from link-up to its end: the header, a row per
// frame shown, the events as numbered marks, and the panel's parameter set
// beside it at the start and at the end.
//
// Rows gather in memory and reach the file only when Flush is called (the
// window does at least once a second), so logging costs a write a second, and
// an unplug or a crash leaves every row up to the last flush. The file holds
// whole rows only: a write cut short (full disk, file-size limit) is cut back
// to the last row written whole, and the row that did not fit is dropped
// whole. The first failure (full disk, file deleted with its folder) closes
// the log; the caller says so once. Rows go to the open file wherever it now
// is: a folder renamed meanwhile loses none of them.
class SessionLog {
public:
    struct Failure {
        std::string path;    // the file that could not be written
        std::string reason;  // the system's text
    };

    SessionLog();
    // Writes what has gathered: a log left open (the program killed) keeps
    // its rows.
    ~SessionLog();
    SessionLog(const SessionLog&) = delete;
    SessionLog& operator=(const SessionLog&) = delete;

    // Opens a new log in folder (made if missing), named after localTime, and
    // writes its header and the start snapshot. startUs is the steady-clock
    // time its first row counts from. With withObd the log has the OBD
    // columns, and every frame's row them.
    std::optional<Failure> Begin(const std::string& folder, const std::tm& localTime,
                                 std::int64_t startUs, const PanelParams& panel,
                                 bool withObd = false);
    // A frame shown; its time is on the steady clock.
    void AddFrame(SessionFrame frame);
    // Numbers the event, adds its row and marks the next frame with it;
    // returns its number, 0 while no log is open.
    std::int32_t AddEvent(SessionEvent event);
    // Writes what has gathered.
    std::optional<Failure> Flush();
    // Writes the rest, closes the file and writes the end snapshot.
    std::optional<Failure> End(const PanelParams& panel);

    bool IsOpen() const { return file_ >= 0; }
    const std::string& Path() const { return path_; }
    // Bytes gathered and not yet written.
    std::size_t Pending() const { return pending_.size(); }

private:
    // Closes the file; the system's errno when that fails, else 0.
    int Close();
    std::optional<Failure> Fail(const std::string& path, int error);

    int file_ = -1;
    // The bytes of whole rows in the file.
    std::uint64_t fileBytes_ = 0;
    std::string path_;
    std::string pending_;
    std::int64_t startUs_ = 0;
    std::int32_t lastMark_ = 0;
    std::int32_t markForNextFrame_ = 0;
    bool withObd_ = false;
};
