// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

#include "link/StoredSet.h"

// The record of a run's unstored changes, kept in the user's data folder
// while there are any, so that a run ended without its exit steps (killed,
// crashed, power lost) loses nothing: the panel as a parameter set file, and
// the stored set as a second one beside it; the panel file's time is the time
// of the last change. Each file is replaced whole or not at all.
//
// A record an earlier run left is read at start and waits for the window to
// offer it; until the window has done so, nothing is written over it.
class RecoveryFiles : public QObject {
    Q_OBJECT

public:
    struct Earlier {
        UnstoredRecord record;
        QDateTime savedAt;
    };

    explicit RecoveryFiles(QObject* parent = nullptr);

    const std::optional<Earlier>& EarlierRecord() const { return earlier_; }
    // The earlier record was offered and answered: it goes, for good.
    void DropEarlierRecord();

    // The run's record after a change, or nothing when no change is
    // unstored; written, or removed, once the current event is handled.
    void Follow(const std::optional<UnstoredRecord>& record);
    // The run ends by the user's choice: the record is settled now, and
    // nothing is written after it.
    void Finish(const std::optional<UnstoredRecord>& record);

    // The user's data folder, as it is when the window is made.
    QString Folder() const { return folder_; }

signals:
    // The record could not be written; the reason names the file.
    void writeFailed(const QString& reason);

private:
    void WriteWanted();
    bool Write(const UnstoredRecord& record, QString& reason) const;
    void Remove() const;
    QString PathOf(const char* name) const;

    const QString folder_;
    std::optional<Earlier> earlier_;
    std::optional<UnstoredRecord> onDisk_;
    std::optional<UnstoredRecord> wanted_;
    bool finished_ = false;
    QTimer writeSoon_;
};
