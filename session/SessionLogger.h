// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <span>

#include "link/LinkState.h"
#include "log/SessionLog.h"
#include "log/SessionRecord.h"

// The window's session log: one file per link in the user's documents folder,
// "DX470 logs", begun when the link comes up and ended when it goes. Rows
// reach the disk at least once a second. The first failure to write ends the
// log and is told once; the link never notices.
//
// Logging is on unless the user turned it off; the choice is kept in the
// program's settings. While it is off nothing is written at all.
class SessionLogger : public QObject {
    Q_OBJECT

public:
    static constexpr int kFlushPeriodMs = 1000;
    // Rows gathered beyond this are written at once (a burst of frames).
    static constexpr std::size_t kMostPendingBytes = 64 * 1024;

    explicit SessionLogger(QObject* parent = nullptr);
    ~SessionLogger() override;

    bool Enabled() const { return enabled_; }
    // Kept for the next run. Turning it off ends the log being written.
    void SetEnabled(bool enabled, const PanelParams& panel);
    // For this run only, in this folder (the usual one when empty): a tool
    // that logs on request leaves the user's choice for the window alone.
    void SetForThisRun(bool enabled, const QString& folder);
    bool Recording() const { return log_.IsOpen(); }
    // The log being written, empty while none is.
    QString Path() const;
    // Documents/DX470 logs.
    static QString Folder();
    // Where this run's logs go.
    QString RunFolder() const { return folder_.isEmpty() ? Folder() : folder_; }

    // The link came up: a new log with the panel's set beside it.
    void Begin(const PanelParams& panel);
    // Whether logs have the OBD readings' columns: from when an OBD adapter
    // is chosen. The log being written ends when they are added.
    void SetObdColumns(bool withObd, const PanelParams& panel);
    // The link went: the log ends with the panel's set beside it.
    void End(const PanelParams& panel);
    void AddFrame(const SessionFrame& frame);
    // The event's mark number in the log; 0 while none is written.
    std::int32_t AddEvent(const SessionEvent& event);

signals:
    // Writing failed (file, system's reason) and the log has ended.
    void stopped(const QString& file, const QString& reason);
    void recordingChanged(bool recording);
    // The choice could not be kept for the next run, and why.
    void settingsNotSaved(const QString& reason);

private:
    void Flush();
    void Report(const std::optional<SessionLog::Failure>& failure);

    SessionLog log_;
    QString folder_;
    QTimer flushTimer_;
    bool enabled_ = true;
    bool obdColumns_ = false;
};
