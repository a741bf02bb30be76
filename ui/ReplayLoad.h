// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <optional>
#include <thread>

#include "log/LogFile.h"

class QProgressDialog;
class QWidget;
struct LogTexts;

// Why a log read for a replay cannot be played; empty when it can.
QString WhyNotPlayed(const LogFileRead& read, const LogTexts& texts);

// A log read for a replay on a thread of its own, so that the window goes on
// painting and answering while a long log is read. A small window beside it
// shows how far the reading has come, with a Cancel button; it appears only
// once the reading has taken a moment, so a short log does not flash it up.
//
// Cancelled, the worker stops at its next piece, nothing it read is given,
// and the load deletes itself once the worker has ended. Deleted while the
// worker reads (the window closing), it stops the worker and waits for it,
// which is one piece at most.
class ReplayLoad : public QObject {
    Q_OBJECT

public:
    // The reading shows as "texts.reading" with the file's name.
    ReplayLoad(const QString& path, std::uint64_t maxBytes, const LogTexts& texts, QWidget* window);
    ~ReplayLoad() override;

    const QString& Path() const { return path_; }
    QProgressDialog* Progress() const;
    void Cancel();
    bool Cancelled() const { return cancelled_; }
    // What was read, once `read` has been emitted.
    LogFileRead TakeRead();

signals:
    // The log has been read, or could not be; never after Cancel.
    void read();
    // The worker's last word, reaching the window's thread queued.
    void workerEnded();

private:
    void ShowProgress();
    void OnWorkerEnded();

    QString path_;
    QPointer<QProgressDialog> progress_;
    QTimer progressTimer_;
    bool cancelled_ = false;
    // Written by the worker, read by the window's thread.
    std::atomic<std::uint64_t> bytesDone_{0};
    std::atomic<std::uint64_t> fileSize_{0};
    // Written by the worker; read only once it has been joined.
    std::optional<LogFileRead> result_;
    // Last, so that it is stopped and joined before the rest goes.
    std::jthread worker_;
};
