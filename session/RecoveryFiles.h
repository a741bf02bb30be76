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
// offer it; until the window has done so, nothing is written over it. Only a
// whole record is offered: one with a value outside 0..255, a file of another
// size or something that is no regular file is set aside under another name.
// A record the user keeps for later is moved aside too, and offered at a later
// start when no newer record is there.
class RecoveryFiles : public QObject {
    Q_OBJECT

public:
    struct Earlier {
        UnstoredRecord record;
        QDateTime savedAt;
    };

    explicit RecoveryFiles(QObject* parent = nullptr);

    const std::optional<Earlier>& EarlierRecord() const { return earlier_; }
    // The earlier record was restored or discarded on purpose: it goes, for good.
    void DropEarlierRecord();
    // The earlier record is kept for later (made on another controller, say):
    // it moves aside, and the run's own record may be written.
    void KeepEarlierRecord();
    // The name a damaged record found at start was set aside under, if any.
    QString SetAsideName() const { return setAside_; }

    // The run's record after a change, or nothing when no change is
    // unstored; written, or removed, once the current event is handled.
    void Follow(const std::optional<UnstoredRecord>& record);
    // The run ends by the user's choice: the record is settled now, and
    // nothing is written after it.
    void Finish(const std::optional<UnstoredRecord>& record);

    // A set kept in a file of its own in the data folder, named after the
    // time: its path, or nothing and the reason.
    std::optional<QString> KeepSet(const PanelParams& params, QString& reason) const;

    // The user's data folder, as it is when the window is made.
    QString Folder() const { return folder_; }

signals:
    // The record could not be written; the reason names the file.
    void writeFailed(const QString& reason);

private:
    // The two files of one record.
    struct Pair {
        QString panel;
        QString stored;
    };

    void ReadEarlierRecord();
    std::optional<Pair> NewestKeptPair() const;
    void SetAside(const Pair& pair);
    void WriteWanted();
    bool Write(const UnstoredRecord& record, QString& reason) const;
    void Remove(const Pair& pair) const;
    QString PathOf(const QString& name) const;
    // A free name in the folder: the prefix, the time and the suffix.
    QString StampedPath(const QString& prefix, const QDateTime& time, const QString& suffix) const;

    const QString folder_;
    const Pair current_;
    std::optional<Earlier> earlier_;
    Pair earlierFiles_;
    QString setAside_;
    std::optional<UnstoredRecord> onDisk_;
    std::optional<UnstoredRecord> wanted_;
    bool finished_ = false;
    QTimer writeSoon_;
};
