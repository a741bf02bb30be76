// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// What the window shows of the session besides the live display: the panel,
// what can be edited, the port menu's mark, the status bar's messages, and
// the questions the session raises.
#include <QAction>
#include <QLabel>
#include <QMenu>

#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/LiveDisplay.h"
#include "ui/MenuBar.h"
#include "ui/QtTexts.h"
#include "ui/SessionQuestions.h"
#include "ui/StatusPanes.h"
#include "ui/UiTexts.h"
#include "ui/UnstoredMarks.h"

void CCalibDlg::ConnectSession() {
    using Session = CalibrationSession;
    Session* session = &session_;
    questions_ =
        new SessionQuestions(this, session_, [this]() -> const UiTexts& { return Texts(); });
    connect(session, &Session::panelValueChanged, this, &CCalibDlg::ShowParameter);
    connect(session, &Session::editingChanged, this, &CCalibDlg::SetEditingEnabled);
    connect(session, &Session::historyChanged, this, &CCalibDlg::ShowHistoryCommands);
    connect(session, &Session::replayStarted, this, &CCalibDlg::ShowHistoryCommands);
    connect(session, &Session::replayEnded, this, &CCalibDlg::ShowHistoryCommands);
    connect(session, &Session::unstoredChanged, this, [this](ParamMask unstored) {
        unstoredMarks_->Show(unstored);
        SetCaption(caption_);
    });
    connect(session, &Session::portChoiceMarked, this, [this](PortChoice choice) {
        menuBar_->SetPortRadioMark(MenuBar::PortPosition(choice));
    });
    connect(session, &Session::errorToShow, questions_, &SessionQuestions::ShowError);
    connect(session, &Session::channelFailed, questions_, &SessionQuestions::ShowChannelError);
    // Asked outside the tick that found them, so no timer waits on the answer.
    connect(session, &Session::otherControllerFound, questions_,
            &SessionQuestions::AskAboutOtherController, Qt::QueuedConnection);
    connect(session, &Session::earlierRecordFound, questions_,
            &SessionQuestions::OfferEarlierRecord, Qt::QueuedConnection);
    connect(session, &Session::recordWriteFailed, questions_,
            &SessionQuestions::ShowRecordWriteFailed);
    connect(session, &Session::historyWriteFailed, this, [this](const QString& reason) {
        ShowLogMessage(Text(Texts().history.pointNotKept).arg(reason));
    });
    // Without adapters the menu and the status bar stay as they always were.
    if (session_.KnowsAdapters()) {
        connect(menuBar_->PortMenu(), &QMenu::aboutToShow, this,
                [this] { menuBar_->ShowPortLabels(session_.Ports()); });
        connect(session, &Session::portOpened, this, &CCalibDlg::ShowOpenPortName);
    }
    ConnectRecords();
}

// What the records have to tell goes to the status bar's message pane.
void CCalibDlg::ConnectRecords() {
    using Session = CalibrationSession;
    Session* session = &session_;
    Command(CommandId::kRecordLogs)->setChecked(session_.Logging());
    Command(CommandId::kAddMark)->setEnabled(false);
    connect(session, &Session::recordingChanged, this, [this](bool recording) {
        Command(CommandId::kAddMark)->setEnabled(recording);
        if (recording) ShowLogMessage({});
    });
    connect(session, &Session::logStopped, this, [this](const QString& file, const QString& why) {
        ShowLogMessage(Text(Texts().log.stopped).arg(file, why));
    });
    connect(session, &Session::settingsNotSaved, this, [this](const QString& reason) {
        ShowLogMessage(Text(Texts().files.settingsNotSaved).arg(reason));
    });
    // Where a record would be offered, once the log that begins with the
    // link has taken the pane.
    connect(
        session, &Session::recordSetAside, this,
        [this](const QString& name) {
            ShowLogMessage(Text(Texts().unstored.recordSetAside).arg(name));
        },
        Qt::QueuedConnection);
}

void CCalibDlg::ShowLogMessage(const QString& text, bool forAMoment) {
    liveDisplay_->ShowMessage(text, forAMoment);
}

// The answer for a way out; changes the user chose to leave unstored are
// not offered again.
bool CCalibDlg::MayEnd() {
    using Answer = SessionQuestions::UnstoredAnswer;
    const Answer answer = questions_->AskAboutUnstored();
    if (answer == Answer::Cancelled) return false;
    session_.Finish(answer != Answer::LeftUnstored);
    return true;
}

bool CCalibDlg::MayLeaveUnstored() {
    return questions_->AskAboutUnstored() != SessionQuestions::UnstoredAnswer::Cancelled;
}

void CCalibDlg::ShowOpenPortName() {
    statusBar_->Pane(kStatusPane)->setToolTip(session_.OpenPortLabel());
}
