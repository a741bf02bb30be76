// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/ReplayViews.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <utility>

#include "session/CalibrationSession.h"
#include "session/SessionLogger.h"
#include "ui/QtTexts.h"
#include "ui/ReplayLoad.h"
#include "ui/ReplayPanel.h"
#include "ui/UiTexts.h"

namespace {
// About nine hours at line rate; the frames of a longer log would not fit
// the memory of the machines fitters carry.
constexpr std::size_t kMostReplayBytes = std::size_t{256} << 20;

}  // namespace

ReplayViews::ReplayViews(QWidget* window, CalibrationSession& session, QAction* portMenu,
                         std::function<const UiTexts&()> texts)
    : QObject(window),
      window_(window),
      session_(session),
      portMenu_(portMenu),
      texts_(std::move(texts)) {
    connect(&session_, &CalibrationSession::replayStarted, this, &ReplayViews::OpenPanel);
    connect(&session_, &CalibrationSession::replayEnded, this, &ReplayViews::ClosePanel);
}

ReplayPanel* ReplayViews::Panel() const {
    return panel_;
}

ReplayLoad* ReplayViews::Loading() const {
    return load_;
}

void ReplayViews::AskAndPlay() {
    QFileDialog dialog(window_);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(Text(texts_().log.logFilter));
    dialog.setDirectory(SessionLogger::Folder());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    Play(dialog.selectedFiles().first());
}

void ReplayViews::Play(const QString& path) {
    if (load_ != nullptr) load_->Cancel();
    ReplayLoad* load = new ReplayLoad(path, kMostReplayBytes, texts_().log, window_);
    load_ = load;
    connect(load, &ReplayLoad::read, this, [this, load] { Read(load); });
}

void ReplayViews::Read(ReplayLoad* load) {
    if (load_ == load) load_ = nullptr;
    load->deleteLater();
    LogFileRead read = load->TakeRead();
    const QString fileName = QFileInfo(load->Path()).fileName();
    // A window closed meanwhile, on its way out, plays nothing.
    if (!window_->isVisible()) return;
    if (const QString problem = WhyNotPlayed(read, texts_().log); !problem.isEmpty()) {
        QMessageBox::critical(window_, AppTitle(),
                              Text(texts_().log.replayRefused).arg(fileName, problem));
        return;
    }
    session_.StartReplay(std::move(read.log.frames), read.log.skipped, fileName);
}

void ReplayViews::SetLanguage(const UiTexts& texts) {
    if (panel_ != nullptr) panel_->SetLanguage(texts);
}

void ReplayViews::OpenPanel(const QString& fileName) {
    ClosePanel();
    panel_ = new ReplayPanel(*session_.Player(), fileName, texts_(), window_);
    connect(panel_, &ReplayPanel::ended, &session_, &CalibrationSession::EndReplay);
    portMenu_->setEnabled(false);
    panel_->show();
}

void ReplayViews::ClosePanel() {
    portMenu_->setEnabled(true);
    if (panel_ == nullptr) return;
    ReplayPanel* panel = panel_;
    panel_ = nullptr;
    panel->disconnect(this);
    panel->disconnect(&session_);
    panel->hide();
    panel->deleteLater();
}
