// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/SessionQuestions.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <utility>

#include "link/StoredSet.h"
#include "session/CalibrationSession.h"
#include "ui/QtTexts.h"
#include "ui/UiTexts.h"

namespace {
constexpr char kSavedAtFormat[] = "yyyy-MM-dd HH:mm";

QAbstractButton* NameButton(QMessageBox& box, QMessageBox::StandardButton which, const char* text) {
    QPushButton* button = box.addButton(which);
    button->setText(Text(text));
    return button;
}

// "3, 7, 12": the parameters of a mask, by number.
QString ParamList(ParamMask mask) {
    QStringList numbers;
    for (int k = 0; k < kParamCount; ++k) {
        if (((mask >> k) & 1U) != 0) numbers << QString::number(k);
    }
    return numbers.join(QStringLiteral(", "));
}

// A failed channel operation as the user reads it, in the window's language.
QString ChannelErrorText(const ChannelError& error, const ChannelTexts& texts) {
    if (!error.failure) return QString::fromStdString(error.what());
    const ChannelFailure& failure = *error.failure;
    const QString device = QString::fromStdString(failure.device);
    const QString reason = QString::fromStdString(failure.reason);
    switch (failure.kind) {
        case ChannelFailure::Kind::AlreadyOpen:
            return Text(texts.alreadyOpen);
        case ChannelFailure::Kind::CannotConfigure:
            return Text(texts.cannotConfigure).arg(device, reason);
        case ChannelFailure::Kind::CannotOpen:
            break;
    }
    QString text = Text(texts.cannotOpen).arg(device, reason);
    if (failure.hint == ChannelFailure::Hint::JoinDialout) text += Text(texts.joinDialout);
    if (failure.hint == ChannelFailure::Hint::InUse) text += Text(texts.inUse);
    return text;
}
}  // namespace

SessionQuestions::SessionQuestions(QWidget* window, CalibrationSession& session,
                                   std::function<const UiTexts&()> texts)
    : QObject(window), window_(window), session_(session), texts_(std::move(texts)) {}

SessionQuestions::UnstoredAnswer SessionQuestions::AskAboutUnstored() {
    const int count = CountParams(session_.Unstored());
    if (count == 0) return UnstoredAnswer::NoneUnstored;
    const UnstoredTexts& texts = texts_().unstored;
    const bool linkUp = session_.IsUp();
    QString text = Text(texts.notStored).arg(count);
    if (!linkUp) text += QLatin1Char('\n') + Text(texts.cannotWriteNow);
    QMessageBox box(QMessageBox::Warning, AppTitle(), text, QMessageBox::NoButton, window_);
    if (linkUp) NameButton(box, QMessageBox::Save, texts.writeAndContinue);
    NameButton(box, QMessageBox::Discard,
               linkUp ? texts.continueWithoutWriting : texts.continueAnyway);
    NameButton(box, QMessageBox::Cancel, texts.cancel);
    box.setDefaultButton(linkUp ? QMessageBox::Save : QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return WriteAndWait() ? UnstoredAnswer::Written : UnstoredAnswer::Cancelled;
        case QMessageBox::Discard:
            return UnstoredAnswer::LeftUnstored;
        default:
            return UnstoredAnswer::Cancelled;
    }
}

// The user's input waits while the session writes; the link does not.
bool SessionQuestions::WriteAndWait() {
    using Outcome = CalibrationSession::WriteOutcome;
    Outcome outcome = Outcome::NotConfirmed;
    QEventLoop loop;
    const auto connection =
        connect(&session_, &CalibrationSession::panelWritten, &loop, [&](Outcome written) {
            outcome = written;
            loop.quit();
        });
    session_.WritePanel();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Written at once (nothing waited): the loop has nothing to wait for.
    if (session_.Writing()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    disconnect(connection);
    if (outcome == Outcome::Written) return true;
    const UnstoredTexts& texts = texts_().unstored;
    QMessageBox::critical(
        window_, AppTitle(),
        Text(outcome == Outcome::LinkLost ? texts.notWrittenLinkLost : texts.notWrittenInTime));
    return false;
}

// Only a restore or a discard on purpose ends the record; one made on
// another controller is kept unless the user says otherwise, and a program
// that ends while the question is open keeps it as it is.
void SessionQuestions::OfferEarlierRecord(bool sameController, int changes,
                                          const QDateTime& savedAt) {
    if (!window_->isVisible()) return;
    const UnstoredTexts& texts = texts_().unstored;
    const QString text = Text(sameController ? texts.restoreQuestion : texts.restoreOtherQuestion)
                             .arg(changes)
                             .arg(savedAt.toString(QString::fromLatin1(kSavedAtFormat)));
    QMessageBox box(QMessageBox::Question, AppTitle(), text, QMessageBox::NoButton, window_);
    QAbstractButton* restore = NameButton(box, QMessageBox::Yes, texts.restore);
    QAbstractButton* discard = NameButton(box, QMessageBox::No, texts.discard);
    QAbstractButton* keep = NameButton(box, QMessageBox::Ignore, texts.keepForLater);
    box.setDefaultButton(sameController ? QMessageBox::Yes : QMessageBox::Ignore);
    box.setEscapeButton(keep);
    box.exec();
    if (box.clickedButton() == restore) session_.RestoreEarlierRecord();
    if (box.clickedButton() == discard) session_.DiscardEarlierRecord();
    if (box.clickedButton() == keep) session_.KeepEarlierRecord();
}

// The default answer sends nothing; so does a program that ends while the
// question is open.
void SessionQuestions::AskAboutOtherController(ParamMask differing,
                                               const std::optional<QString>& keptIn,
                                               const QString& whyNotKept) {
    if (!session_.Record().choicePending) return;
    const UnstoredTexts& texts = texts_().unstored;
    const QString text =
        Text(texts.otherController).arg(ParamList(differing)) + QLatin1Char('\n') +
        (keptIn ? Text(texts.panelKept).arg(*keptIn) : Text(texts.panelNotKept).arg(whyNotKept));
    QMessageBox box(QMessageBox::Warning, AppTitle(), text, QMessageBox::NoButton, window_);
    QAbstractButton* load = NameButton(box, QMessageBox::Yes, texts.loadItsValues);
    QAbstractButton* send = NameButton(box, QMessageBox::No, texts.sendPanelValues);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(load);
    box.exec();
    if (box.clickedButton() == load) session_.ChooseControllerValues();
    if (box.clickedButton() == send) session_.ChoosePanelValues();
}

void SessionQuestions::ShowError(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, window_);
    box.exec();
}

void SessionQuestions::ShowChannelError(const ChannelError& error) {
    QMessageBox box(QMessageBox::Critical, AppTitle(), ChannelErrorText(error, texts_().channel),
                    QMessageBox::Ok, window_);
    box.exec();
}

// The changes are still shown and guarded: only a crash would cost them.
void SessionQuestions::ShowRecordWriteFailed(const QString& reason) {
    if (std::exchange(recordFailureShown_, true)) return;
    QMessageBox::warning(window_, AppTitle(), Text(texts_().unstored.cannotKeep).arg(reason));
}
