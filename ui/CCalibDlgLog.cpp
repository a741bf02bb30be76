// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The window's record of the session: the log that follows the link, marks
// and events, the log folder, and a log played back into the readouts.
#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>
#include <utility>

#include "link/ControllerLink.h"
#include "link/Supervision.h"
#include "link/TickCount.h"
#include "log/LogFile.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/LiveDisplay.h"
#include "ui/MenuBar.h"
#include "ui/ReplayLoad.h"
#include "ui/ReplayPanel.h"
#include "ui/SessionLogger.h"
#include "ui/StatusPanes.h"
#include "ui/UiTexts.h"

namespace {
// A mark's confirmation stays this long; a failure stays until a log begins.
constexpr int kMarkMessageMs = 4000;
// About nine hours at line rate; the frames of a longer log would not fit
// the memory of the machines fitters carry.
constexpr std::size_t kMostReplayBytes = std::size_t{256} << 20;
constexpr qint64 kUsPerMs = 1000;
constexpr int kNoMarker = -1;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Why a log read for a replay cannot be played; empty when it can.
QString WhyNotPlayed(const LogFileRead& read, const LogTexts& texts) {
    using Outcome = LogFileRead::Outcome;
    switch (read.outcome) {
        case Outcome::CannotOpen:
            return Text(texts.cannotOpen);
        case Outcome::NotAFile:
            return Text(texts.notAFile);
        case Outcome::TooLarge:
            return Text(texts.tooLarge);
        case Outcome::ReadFailed:
            return QString::fromLocal8Bit(read.reason);
        case Outcome::Read:
        case Outcome::Stopped:
            break;
    }
    if (!read.log.recognised) return Text(texts.notALog);
    if (read.log.frames.empty()) return Text(texts.noFrames);
    return {};
}
}  // namespace

void CCalibDlg::CreateLogger() {
    logger_ = new SessionLogger(this);
    Command(CommandId::kRecordLogs)->setChecked(logger_->Enabled());
    Command(CommandId::kAddMark)->setEnabled(false);
    connect(logger_, &SessionLogger::recordingChanged, this, [this](bool recording) {
        Command(CommandId::kAddMark)->setEnabled(recording);
        if (recording) ShowLogMessage({});
    });
    connect(logger_, &SessionLogger::settingsNotSaved, this, [this](const QString& reason) {
        ShowLogMessage(Text(Texts().files.settingsNotSaved).arg(reason));
    });
    connect(logger_, &SessionLogger::stopped, this,
            [this](const QString& file, const QString& why) {
                ShowLogMessage(Text(Texts().log.stopped).arg(file, why));
            });
    logMessageTimer_.setSingleShot(true);
    logMessageTimer_.setInterval(kMarkMessageMs);
    connect(&logMessageTimer_, &QTimer::timeout, this, [this] { ShowLogMessage({}); });
}

void CCalibDlg::ShowLogMessage(const QString& text) {
    logMessageTimer_.stop();
    liveDisplay_->ShowPaneText(kMessagePane, text);
}

void CCalibDlg::FollowLinkWithLog() {
    const bool up = State().linkUp;
    if (up == logFollowsLinkUp_) return;
    logFollowsLinkUp_ = up;
    if (up) {
        logger_->Begin(panelParams);
    } else {
        logger_->End(panelParams);
    }
}

void CCalibDlg::RecordFramesOfRead(qint64 arrivalMicros) {
    if (framesOfRead_.empty()) return;
    frameClock_.Stamp(framesOfRead_, arrivalMicros);
    for (const SessionFrame& frame : framesOfRead_) {
        logger_->AddFrame(frame);
        emit frameShown(frame);
    }
    framesOfRead_.clear();
}

std::int32_t CCalibDlg::NoteEvent(SessionEvent event) {
    event.number = logger_->AddEvent(event);
    emit eventNoted(event);
    return event.number;
}

void CCalibDlg::NoteParameterSent(int index, int value) {
    NoteEvent({.kind = SessionEvent::Kind::ParameterSent, .index = index, .value = value});
}

void CCalibDlg::NoteStoreSent() {
    NoteEvent({.kind = SessionEvent::Kind::StoreSent});
}

void CCalibDlg::OnAddMark() {
    if (!logger_->Recording()) return;
    const std::int32_t number = NoteEvent({.kind = SessionEvent::Kind::Mark});
    ShowLogMessage(Text(Texts().log.markAdded).arg(number));
    logMessageTimer_.start();
}

// The folder is made first, so the file manager has something to show.
void CCalibDlg::OnOpenLogFolder() {
    const QString folder = SessionLogger::Folder();
    if (QDir().mkpath(folder) && QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) return;
    ShowLogMessage(Text(Texts().log.folderFailed).arg(QDir::toNativeSeparators(folder)));
    logMessageTimer_.start();
}

// Turned on while the link is up, a log begins at once.
void CCalibDlg::OnRecordLogs() {
    const bool record = Command(CommandId::kRecordLogs)->isChecked();
    logger_->SetEnabled(record, panelParams);
    if (record && State().linkUp) logger_->Begin(panelParams);
}

void CCalibDlg::OnReplayLog() {
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(Text(Texts().log.logFilter));
    dialog.setDirectory(SessionLogger::Folder());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    StartReplay(dialog.selectedFiles().first());
}

ReplayLoad* CCalibDlg::ReplayBeingRead() const {
    return replayLoad_;
}

void CCalibDlg::StartReplay(const QString& path) {
    if (replayLoad_ != nullptr) replayLoad_->Cancel();
    ReplayLoad* load = new ReplayLoad(path, kMostReplayBytes, Texts().log, this);
    replayLoad_ = load;
    connect(load, &ReplayLoad::read, this, [this, load] { PlayReadLog(load); });
}

void CCalibDlg::PlayReadLog(ReplayLoad* load) {
    if (replayLoad_ == load) replayLoad_ = nullptr;
    load->deleteLater();
    LogFileRead read = load->TakeRead();
    const LogTexts& texts = Texts().log;
    const QString fileName = QFileInfo(load->Path()).fileName();
    // A window closed meanwhile, on its way out, plays nothing.
    if (!isVisible()) return;
    if (const QString problem = WhyNotPlayed(read, texts); !problem.isEmpty()) {
        QMessageBox::critical(this, QCoreApplication::applicationName(),
                              Text(texts.replayRefused).arg(fileName, problem));
        return;
    }
    EndReplay();
    HoldLinkForReplay();
    replayPanel_ =
        new ReplayPanel(std::move(read.log.frames), read.log.skipped, fileName, Texts(), this);
    connect(replayPanel_, &ReplayPanel::frameDue, this, &CCalibDlg::ShowReplayedFrame);
    connect(replayPanel_, &ReplayPanel::positionChanged, this, [this](std::int64_t positionUs) {
        ShowConnectionTime(ConnectionTimeText(static_cast<std::uint64_t>(positionUs / kUsPerMs)));
    });
    connect(replayPanel_, &ReplayPanel::ended, this, &CCalibDlg::EndReplay);
    replayPanel_->SeekTo(0);
    replayPanel_->SetSpeed(ReplayPanel::kNormal);
    replayPanel_->show();
}

void CCalibDlg::EndReplay() {
    if (replayPanel_ == nullptr) return;
    ReplayPanel* panel = std::exchange(replayPanel_, nullptr);
    // Its last tick may still be on its way.
    panel->disconnect(this);
    panel->hide();
    panel->deleteLater();
    ResumeLinkAfterReplay();
}

void CCalibDlg::ShowReplayedFrame(const SessionFrame& frame) {
    const LambdaBand band = BandOf(frame);
    if (band != replayBand_) {
        replayBand_ = band;
        ShowLambdaBand(band);
    }
    ShowReadouts(ReadoutsOf(frame));
    ShowCellMarker(frame.cell);
    emit frameShown(frame);
}

// The port stays as it is; its bytes are dropped unread (see OnCommEvent).
void CCalibDlg::HoldLinkForReplay() {
    FlushDisplay();
    paneTextsBeforeReplay_[0] = statusBar_->PaneText(kStatusPane);
    paneTextsBeforeReplay_[1] = statusBar_->PaneText(kTimePane);
    supervisionTimer_.stop();
    sendTimer_.stop();
    // The flash of a frame just sent ends, as the next send tick would end it.
    if (State().linkUp) ShowStatusColour(StatusColour::LinkUp);
    DisableEditing();
    menuBar_->PortMenu()->menuAction()->setEnabled(false);
    replayBand_.reset();
    NoteEvent({.kind = SessionEvent::Kind::ReplayStarted});
    liveDisplay_->ShowPaneText(kStatusPane, Text(kReplayStatusText));
}

// The window shows the link as the link has it: blank until its next frame,
// the lambda bar in the band the link last showed, the status as it was.
void CCalibDlg::ResumeLinkAfterReplay() {
    NoteEvent({.kind = SessionEvent::Kind::ReplayEnded});
    liveDisplay_->ShowReadouts({});
    liveDisplay_->ShowMarker(kNoMarker);
    ShowLambdaBand(static_cast<LambdaBand>(State().lambdaBand));
    liveDisplay_->ShowPaneText(kStatusPane, paneTextsBeforeReplay_[0]);
    liveDisplay_->ShowPaneText(kTimePane, paneTextsBeforeReplay_[1]);
    menuBar_->PortMenu()->menuAction()->setEnabled(true);
    if (State().linkUp) EnableEditing();
    // Bytes were dropped meanwhile: the frames start afresh.
    link_->OnPortOpened(SteadyMicros());
    supervisionTimer_.start();
    sendTimer_.start();
}
