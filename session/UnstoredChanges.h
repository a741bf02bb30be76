// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <optional>

#include "link/StoredSet.h"
#include "session/RecoveryFiles.h"

class ControllerLink;

// Changes the controller has not stored, as the session follows them: which
// parameters they are, the record kept against a crash, and the record an
// earlier run left, offered once, at the first link-up of the run.
class UnstoredChanges : public QObject {
    Q_OBJECT

public:
    explicit UnstoredChanges(ControllerLink& link, QObject* parent = nullptr);

    ParamMask Unstored() const { return shown_; }
    QString SetAsideName() const { return files_.SetAsideName(); }
    // After anything that may have changed the panel or the stored set;
    // cheap when nothing did.
    void Follow();

    // The answers to an earlier run's record: its changes go into the panel
    // as changes of the user's; it is dropped; it is kept for later.
    void RestoreEarlier();
    void DiscardEarlier();
    void KeepEarlier();
    // The run ends by the user's choice: the record keeps the changes, or
    // none when the user chose to leave them unstored.
    void Finish(bool keepChanges);
    // The panel as it is, in a file of its own; its path, or the reason.
    std::optional<QString> KeepPanel(QString& reason) const;

signals:
    void changed(ParamMask unstored);
    // At the first link-up: an earlier run's record with changes this
    // controller does not hold, made on it or on another one.
    void earlierRecordFound(bool sameController, int changes, const QDateTime& savedAt);
    // A damaged record was set aside under this name.
    void recordSetAside(const QString& name);
    // The record could not be written; the reason names the file.
    void recordWriteFailed(const QString& reason);

private:
    std::optional<UnstoredRecord> CurrentRecord() const;
    void OfferEarlierRecord();

    ControllerLink& link_;
    RecoveryFiles files_;
    ParamMask shown_ = 0;
    bool offered_ = false;
};
