// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "domain/Calibration.h"

class CalibrationSession;
class ChannelError;
class QWidget;
struct UiTexts;

// The boxes in which the window asks the user what the session cannot decide,
// or tells what went wrong, in the interface language; each answer goes back
// to the session as a command.
class SessionQuestions : public QObject {
    Q_OBJECT

public:
    enum class UnstoredAnswer { NoneUnstored, Written, LeftUnstored, Cancelled };

    // texts gives the language shown at the moment a box opens.
    SessionQuestions(QWidget* window, CalibrationSession& session,
                     std::function<const UiTexts&()> texts);

    // Before a way out, a port command or a file: changes not stored.
    // "Write and continue" waits for the session to write them, and tells the
    // user when it could not.
    UnstoredAnswer AskAboutUnstored();
    // An earlier run's record, and another controller on the line.
    void OfferEarlierRecord(bool sameController, int changes, const QDateTime& savedAt);
    void AskAboutOtherController(ParamMask differing, const std::optional<QString>& keptIn,
                                 const QString& whyNotKept);
    // Stop boxes: the port-open failure, a channel operation that failed.
    void ShowError(const QString& text, const QString& caption);
    void ShowChannelError(const ChannelError& error);
    // Once a run: the record of unstored changes cannot be written.
    void ShowRecordWriteFailed(const QString& reason);

private:
    bool WriteAndWait();

    QWidget* window_;
    CalibrationSession& session_;
    std::function<const UiTexts&()> texts_;
    bool recordFailureShown_ = false;
};
