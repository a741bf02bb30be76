// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// What the window shows of the session: the live display, the panel, the
// port menu's mark, the status bar's messages, and the questions the session
// raises (changes not stored, another controller, an earlier run's record).
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "adapters/PortLabel.h"
#include "link/StoredSet.h"
#include "serial/SerialChannel.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlColours.h"
#include "ui/ControlIds.h"
#include "ui/LiveDisplay.h"
#include "ui/MenuBar.h"
#include "ui/StatusPanes.h"
#include "ui/UiTexts.h"
#include "ui/UnstoredMarks.h"

namespace {
constexpr int kNoMarker = -1;
// A mark's confirmation stays this long.
constexpr int kMomentMs = 4000;
constexpr char kSavedAtFormat[] = "yyyy-MM-dd HH:mm";

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString AppTitle() {
    return QApplication::applicationName();
}

QAbstractButton* NameButton(QMessageBox& box, QMessageBox::StandardButton which,
                            const char* text) {
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

QString ComName(int port) {
    return QStringLiteral("COM%1").arg(port);
}
}  // namespace

void CCalibDlg::ConnectSession() {
    CalibrationSession* session = &session_;
    connect(session, &CalibrationSession::panelValueChanged, this, &CCalibDlg::ShowParameter);
    connect(session, &CalibrationSession::editingChanged, this, &CCalibDlg::SetEditingEnabled);
    connect(session, &CalibrationSession::unstoredChanged, this, &CCalibDlg::ShowUnstored);
    connect(session, &CalibrationSession::portChoiceMarked, this, [this](PortChoice choice) {
        menuBar_->SetPortRadioMark(MenuBar::PortPosition(choice));
    });
    connect(session, &CalibrationSession::errorToShow, this, &CCalibDlg::ShowErrorBox);
    connect(session, &CalibrationSession::channelFailed, this, &CCalibDlg::ShowChannelError);
    // Asked outside the tick that found them, so no timer waits on the answer.
    connect(session, &CalibrationSession::otherControllerFound, this,
            &CCalibDlg::AskAboutOtherController, Qt::QueuedConnection);
    connect(session, &CalibrationSession::earlierRecordFound, this,
            &CCalibDlg::OfferEarlierRecord, Qt::QueuedConnection);
    connect(session, &CalibrationSession::replayStarted, this, &CCalibDlg::OpenReplayPanel);
    connect(session, &CalibrationSession::replayEnded, this, &CCalibDlg::CloseReplayPanel);
    // Without adapters the menu and the status bar stay as they always were.
    if (session_.KnowsAdapters()) {
        connect(menuBar_->PortMenu(), &QMenu::aboutToShow, this, &CCalibDlg::ShowPortNames);
        connect(session, &CalibrationSession::portOpened, this, &CCalibDlg::ShowOpenPortName);
    }
    ConnectRecords();
}

void CCalibDlg::ConnectDisplay() {
    CalibrationSession* session = &session_;
    connect(session, &CalibrationSession::readoutsShown, liveDisplay_, &LiveDisplay::ShowReadouts);
    connect(session, &CalibrationSession::lambdaBandShown, this, [this](LambdaBand band) {
        liveDisplay_->ShowLambdaColour(
            ControlColours::ToQColor(ControlColours::LambdaBandColourOf(band)));
    });
    connect(session, &CalibrationSession::cellMarkerShown, liveDisplay_, &LiveDisplay::ShowMarker);
    connect(session, &CalibrationSession::liveDisplayCleared, this, [this] {
        liveDisplay_->ShowReadouts({});
        liveDisplay_->ShowMarker(kNoMarker);
        liveDisplay_->ShowStatusColour(ControlColours::ToQColor(kStatusNoLink));
    });
    connect(session, &CalibrationSession::linkStatusShown, this,
            [this](CalibrationSession::LinkStatus, const QString& text) {
                liveDisplay_->ShowPaneText(kStatusPane, text);
            });
    connect(session, &CalibrationSession::connectionTimeShown, this,
            [this](const QString& text) { liveDisplay_->ShowPaneText(kTimePane, text); });
    connect(session, &CalibrationSession::statusColourShown, this,
            [this](CalibrationSession::StatusColour colour) {
                liveDisplay_->ShowStatusColour(
                    ControlColours::ToQColor(ControlColours::StatusColourOf(colour)));
            });
}

// What the records have to tell goes to the status bar's message pane.
void CCalibDlg::ConnectRecords() {
    CalibrationSession* session = &session_;
    Command(CommandId::kRecordLogs)->setChecked(session_.Logging());
    Command(CommandId::kAddMark)->setEnabled(false);
    connect(session, &CalibrationSession::recordingChanged, this, [this](bool recording) {
        Command(CommandId::kAddMark)->setEnabled(recording);
        if (recording) ShowLogMessage({});
    });
    connect(session, &CalibrationSession::logStopped, this,
            [this](const QString& file, const QString& why) {
                ShowLogMessage(Text(Texts().log.stopped).arg(file, why));
            });
    connect(session, &CalibrationSession::settingsNotSaved, this, [this](const QString& reason) {
        ShowLogMessage(Text(Texts().files.settingsNotSaved).arg(reason));
    });
    // Where a record would be offered, once the log that begins with the
    // link has taken the pane.
    connect(
        session, &CalibrationSession::recordSetAside, this,
        [this](const QString& name) {
            ShowLogMessage(Text(Texts().unstored.recordSetAside).arg(name));
        },
        Qt::QueuedConnection);
    // Once a run: the changes are still shown and guarded, only a crash would
    // cost them.
    connect(session, &CalibrationSession::recordWriteFailed, this, [this](const QString& reason) {
        if (std::exchange(recordFailureShown_, true)) return;
        QMessageBox::warning(this, AppTitle(), Text(Texts().unstored.cannotKeep).arg(reason));
    });
    logMessageTimer_.setSingleShot(true);
    logMessageTimer_.setInterval(kMomentMs);
    connect(&logMessageTimer_, &QTimer::timeout, this, [this] { ShowLogMessage({}); });
}

void CCalibDlg::ShowLogMessage(const QString& text, bool forAMoment) {
    logMessageTimer_.stop();
    liveDisplay_->ShowPaneText(kMessagePane, text);
    if (forAMoment) logMessageTimer_.start();
}

void CCalibDlg::ShowErrorBox(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, this);
    box.exec();
}

void CCalibDlg::ShowChannelError(const ChannelError& error) {
    QMessageBox box(QMessageBox::Critical, AppTitle(), ChannelErrorText(error, Texts().channel),
                    QMessageBox::Ok, this);
    box.exec();
}

void CCalibDlg::ShowUnstored(ParamMask unstored) {
    unstoredMarks_->Show(unstored);
    SetCaption(caption_);
}

CCalibDlg::UnstoredAnswer CCalibDlg::AskAboutUnstored() {
    const int count = CountParams(session_.Unstored());
    if (count == 0) return UnstoredAnswer::NoneUnstored;
    const UnstoredTexts& texts = Texts().unstored;
    const bool linkUp = session_.IsUp();
    QString text = Text(texts.notStored).arg(count);
    if (!linkUp) text += QLatin1Char('\n') + Text(texts.cannotWriteNow);
    QMessageBox box(QMessageBox::Warning, AppTitle(), text, QMessageBox::NoButton, this);
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
bool CCalibDlg::WriteAndWait() {
    using Outcome = CalibrationSession::WriteOutcome;
    Outcome outcome = Outcome::NotConfirmed;
    QEventLoop loop;
    const auto connection = connect(&session_, &CalibrationSession::panelWritten, &loop,
                                    [&](Outcome written) {
                                        outcome = written;
                                        loop.quit();
                                    });
    session_.WritePanel();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    disconnect(connection);
    if (outcome == Outcome::Written) return true;
    const UnstoredTexts& texts = Texts().unstored;
    QMessageBox::critical(this, AppTitle(),
                          Text(outcome == Outcome::LinkLost ? texts.notWrittenLinkLost
                                                            : texts.notWrittenInTime));
    return false;
}

// Changes the user chose to leave unstored are not offered again.
bool CCalibDlg::MayEnd() {
    const UnstoredAnswer answer = AskAboutUnstored();
    if (answer == UnstoredAnswer::Cancelled) return false;
    session_.Finish(answer != UnstoredAnswer::LeftUnstored);
    return true;
}

// Only a restore or a discard on purpose ends the record; one made on
// another controller is kept unless the user says otherwise, and a program
// that ends while the question is open keeps it as it is.
void CCalibDlg::OfferEarlierRecord(bool sameController, int changes, const QDateTime& savedAt) {
    if (!isVisible()) return;
    const UnstoredTexts& texts = Texts().unstored;
    const QString text = Text(sameController ? texts.restoreQuestion : texts.restoreOtherQuestion)
                             .arg(changes)
                             .arg(savedAt.toString(QString::fromLatin1(kSavedAtFormat)));
    QMessageBox box(QMessageBox::Question, AppTitle(), text, QMessageBox::NoButton, this);
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
void CCalibDlg::AskAboutOtherController(ParamMask differing, const std::optional<QString>& keptIn,
                                        const QString& whyNotKept) {
    if (!session_.Record().choicePending) return;
    const UnstoredTexts& texts = Texts().unstored;
    const QString text =
        Text(texts.otherController).arg(ParamList(differing)) + QLatin1Char('\n') +
        (keptIn ? Text(texts.panelKept).arg(*keptIn) : Text(texts.panelNotKept).arg(whyNotKept));
    QMessageBox box(QMessageBox::Warning, AppTitle(), text, QMessageBox::NoButton, this);
    QAbstractButton* load = NameButton(box, QMessageBox::Yes, texts.loadItsValues);
    QAbstractButton* send = NameButton(box, QMessageBox::No, texts.sendPanelValues);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(load);
    box.exec();
    if (box.clickedButton() == load) session_.ChooseControllerValues();
    if (box.clickedButton() == send) session_.ChoosePanelValues();
}

void CCalibDlg::ShowPortNames() {
    QHash<int, QString> labels;
    for (const PortEntry& port : session_.Ports()) {
        if (!labels.contains(port.comPort))
            labels.insert(port.comPort, QString::fromStdString(PortLabel(port)));
    }
    for (int port = CommandId::kFirstHandPort; port <= CommandId::kLastHandPort; ++port) {
        menuBar_->SetPortLabel(port, labels.value(port, ComName(port)));
    }
}

void CCalibDlg::ShowOpenPortName() {
    const SerialChannel& channel = session_.Channel();
    const std::string device = channel.DevicePath().toStdString();
    QString label = ComName(channel.PortNumber());
    for (const PortEntry& port : session_.Ports()) {
        if (port.device == device && port.comPort == channel.PortNumber())
            label = QString::fromStdString(PortLabel(port));
    }
    statusBar_->Pane(kStatusPane)->setToolTip(label);
}
