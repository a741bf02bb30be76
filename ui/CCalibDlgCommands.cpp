// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// What the user does, passed on to the session: each menu command and button
// has a slot of its own. Commands that may cost changes not stored ask first.
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QUrl>

#include "files/ParamFile.h"
#include "session/SessionLogger.h"
#include "session/TuneHistory.h"
#include "ui/AnalysisViews.h"
#include "ui/CAboutDlg.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/ControlSets.h"
#include "ui/CurveEditing.h"
#include "ui/DialogInteger.h"
#include "ui/HelpWindow.h"
#include "ui/HistoryWindow.h"
#include "ui/LinkHealthPanel.h"
#include "ui/MenuBar.h"
#include "ui/ParamFileCommands.h"
#include "ui/QtTexts.h"
#include "ui/ReplayViews.h"
#include "ui/ShowInFront.h"
#include "ui/SpinButton.h"
#include "ui/UiTexts.h"

namespace {
using ControlSets::kBindingOrder;

}  // namespace

void CCalibDlg::ConnectMenu() {
    const auto on = [this](int commandId, void (CCalibDlg::*slot)()) {
        connect(Command(commandId), &QAction::triggered, this, slot);
    };
    on(CommandId::kFileOpen, &CCalibDlg::OnFileOpen);
    on(CommandId::kFileSave, &CCalibDlg::OnFileSave);
    on(CommandId::kFileExit, &CCalibDlg::OnCancelCommand);
    on(CommandId::kReplayLog, &CCalibDlg::OnReplayLog);
    on(CommandId::kAddMark, &CCalibDlg::OnAddMark);
    on(CommandId::kOpenLogFolder, &CCalibDlg::OnOpenLogFolder);
    on(CommandId::kRecordLogs, &CCalibDlg::OnRecordLogs);
    on(CommandId::kShowChart, &CCalibDlg::OnShowChart);
    on(CommandId::kShowCells, &CCalibDlg::OnShowCells);
    on(CommandId::kUndo, &CCalibDlg::OnUndo);
    on(CommandId::kRedo, &CCalibDlg::OnRedo);
    on(CommandId::kShowCurve, &CCalibDlg::OnShowCurve);
    on(CommandId::kShowHistory, &CCalibDlg::OnShowHistory);
    on(CommandId::kShowLinkHealth, &CCalibDlg::OnShowLinkHealth);
    on(CommandId::kChinese, &CCalibDlg::ApplyChineseTexts);
    on(CommandId::kEnglish, &CCalibDlg::ApplyEnglishTexts);
    on(CommandId::kHelp, &CCalibDlg::OnHelp);
    on(CommandId::kHelpAbout, &CCalibDlg::OnAbout);
    on(CommandId::kPortAuto, &CCalibDlg::OnAutoSearch);
    on(CommandId::kPortOffline, &CCalibDlg::OnOffline);
    for (int port = CommandId::kFirstHandPort; port <= CommandId::kLastHandPort; ++port) {
        connect(Command(CommandId::SelectPort(port)), &QAction::triggered, this,
                [this, port] { OnSelectPort(port); });
    }
}

// Stores only a valid position: a pasted text that is no number within the
// range leaves the parameter at its last valid value, so nothing the user did
// not choose is sent and the parameters above it are not held up.
void CCalibDlg::OnParamEditChange(int k) {
    if (!initialised) return;
    const std::int32_t position = Spin(k)->QueryPosition();
    if ((position >> 16) != 0) return;
    session_.SetPanelValue(k, position);
}

void CCalibDlg::OnAutoSearch() {
    if (MayLeaveUnstored()) session_.StartAutoSearch();
}

void CCalibDlg::OnOffline() {
    if (MayLeaveUnstored()) session_.GoOffline();
}

void CCalibDlg::OnSelectPort(int port) {
    if (MayLeaveUnstored()) session_.SelectPort(port);
}

void CCalibDlg::OnWrite() {
    session_.RequestWrite();
}

void CCalibDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

// Made when first asked for, so start-up does not pay for it; later requests
// bring the same window back to the front.
void CCalibDlg::OnHelp() {
    if (helpWindow_ == nullptr) helpWindow_ = new HelpWindow(this);
    helpWindow_->SetLanguage(Texts());
    ShowInFront(helpWindow_);
}

// A cancelled dialog, or a file that cannot be read, neither stores nor loads.
void CCalibDlg::OnFileOpen() {
    const std::optional<QString> path = ParamFileCommands::AskOpenPath(this);
    if (!path) return;
    const std::optional<PanelParams> loaded =
        ParamFileCommands::Read(this, *path, session_.Panel(), Texts().files);
    if (!loaded || !MayLeaveUnstored()) return;
    session_.LoadSet(*loaded, QFileInfo(*path).fileName());
}

void CCalibDlg::OnFileSave() {
    const std::optional<QString> saved =
        ParamFileCommands::Save(this, session_.Panel(), Texts().files);
    QString reason;
    if (saved && !session_.History().WriteSidecar(*saved, reason)) {
        ShowLogMessage(Text(Texts().history.sidecarNotWritten).arg(reason));
    }
}

// The edits are read into a copy, taken only once the window really ends: a
// question answered with Cancel leaves the panel as it was. A number outside
// the spin's range counts as the edit's change handler counts it: not at all.
void CCalibDlg::OnOK() {
    PanelParams read = session_.Panel();
    for (const int k : kBindingOrder) {
        QLineEdit* edit = ParamEdit(k);
        std::int32_t value = 0;
        if (!ParseDialogInteger(edit->text(), value)) {
            QMessageBox::warning(this, AppTitle(), Text(kNotAnIntegerText));
            edit->setFocus();
            edit->selectAll();
            return;
        }
        if (value >= kSpinLowest && value <= kSpinHighest) read[k] = value;
    }
    if (!MayEnd()) return;
    for (int k = 0; k < kParamCount; ++k) session_.SetPanelValue(k, read[k]);
    accept();
}

// The window closes at once; the session's search workers end with it, each
// within a moment.
void CCalibDlg::OnCancel() {
    session_.End();
    QDialog::reject();
}

void CCalibDlg::OnCancelCommand() {
    if (MayEnd()) OnCancel();
}

void CCalibDlg::reject() {
    OnCancelCommand();
}

void CCalibDlg::OnAbruptEnd() {
    session_.EndAbruptly();
}

// --- the session log

void CCalibDlg::OnAddMark() {
    const std::int32_t number = session_.AddMark();
    if (number != 0) ShowLogMessage(Text(Texts().log.markAdded).arg(number), true);
}

// The folder is made first, so the file manager has something to show.
void CCalibDlg::OnOpenLogFolder() {
    const QString folder = SessionLogger::Folder();
    if (QDir().mkpath(folder) && QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) return;
    ShowLogMessage(Text(Texts().log.folderFailed).arg(QDir::toNativeSeparators(folder)), true);
}

void CCalibDlg::OnRecordLogs() {
    session_.SetLogging(Command(CommandId::kRecordLogs)->isChecked());
}

void CCalibDlg::OnReplayLog() {
    replay_->AskAndPlay();
}

void CCalibDlg::StartReplay(const QString& path) {
    replay_->Play(path);
}

ReplayLoad* CCalibDlg::ReplayBeingRead() const {
    return replay_->Loading();
}

ReplayPanel* CCalibDlg::Replay() const {
    return replay_->Panel();
}

void CCalibDlg::EndReplay() {
    session_.EndReplay();
}

void CCalibDlg::OnShowChart() {
    analysis_->ShowChart(Texts());
}

void CCalibDlg::OnShowCells() {
    analysis_->ShowCells(Texts());
}

void CCalibDlg::OnUndo() {
    session_.Undo();
}

void CCalibDlg::OnRedo() {
    session_.Redo();
}

void CCalibDlg::OnShowCurve() {
    curveEditing_->Show(Texts());
}

// Made when first asked for; read afresh each time it is shown.
void CCalibDlg::OnShowHistory() {
    if (historyWindow_ == nullptr) historyWindow_ = new HistoryWindow(session_, Texts(), this);
    historyWindow_->Refresh();
    ShowInFront(historyWindow_);
}

// Made when first asked for; it refreshes itself while shown.
void CCalibDlg::OnShowLinkHealth() {
    if (linkHealthPanel_ == nullptr) {
        linkHealthPanel_ = new LinkHealthPanel(session_, Texts(), this);
    }
    ShowInFront(linkHealthPanel_);
}

void CCalibDlg::ShowHistoryCommands() {
    Command(CommandId::kUndo)->setEnabled(session_.CanUndo());
    Command(CommandId::kRedo)->setEnabled(session_.CanRedo());
}
