// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/ReplayViews.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <string>
#include <utility>

#include "log/CsvExport.h"
#include "session/CalibrationSession.h"
#include "session/SessionLogger.h"
#include "session/SetFiles.h"
#include "ui/QtTexts.h"
#include "ui/ReplayLoad.h"
#include "ui/ReplayPanel.h"
#include "ui/UiTexts.h"

namespace {
// About nine hours at line rate; the frames of a longer log would not fit
// the memory of the machines fitters carry.
constexpr std::size_t kMostReplayBytes = std::size_t{256} << 20;

// Qt's own dialog, as for the program's other files, starting beside the log
// with its name.
QString AskCsvPath(QWidget* owner, const QString& logPath, const LogTexts& texts) {
    const QFileInfo log(logPath);
    QFileDialog dialog(owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(Text(texts.csvFilter));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setDirectory(log.absolutePath());
    dialog.selectFile(log.completeBaseName() + QStringLiteral(".csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}
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
    playingPath_ = load->Path();
    session_.StartReplay(std::move(read.log.frames), read.log.skipped, fileName, read.log.events);
}

// The log is read again, not kept beside the player's frames: a long one
// would take twice its memory for the whole replay. The reading shows its
// progress and may be cancelled, as a replay's does.
void ReplayViews::ExportCsv() {
    const QString csvPath = AskCsvPath(panel_, playingPath_, texts_().log);
    if (csvPath.isEmpty()) return;
    if (csvLoad_ != nullptr) csvLoad_->Cancel();
    ReplayLoad* load = new ReplayLoad(playingPath_, kMostReplayBytes, texts_().log, window_);
    csvLoad_ = load;
    connect(load, &ReplayLoad::read, this, [this, load, csvPath] { WriteCsv(load, csvPath); });
}

// Written whole or not at all, and never through a link to a device.
void ReplayViews::WriteCsv(ReplayLoad* load, const QString& csvPath) {
    if (csvLoad_ == load) csvLoad_ = nullptr;
    load->deleteLater();
    std::string csv;
    QString reason;
    {
        const LogFileRead read = load->TakeRead();
        reason = WhyNotPlayed(read, texts_().log);
        if (reason.isEmpty()) csv = CsvOfLog(read.log, kCsvComma);
    }
    if (!reason.isEmpty()) {
        reason.prepend(QDir::toNativeSeparators(load->Path()) + QStringLiteral(": "));
    } else if (WriteWholeFile(csvPath, QByteArray::fromRawData(csv.data(), qsizetype(csv.size())),
                              reason)) {
        return;
    }
    QWidget* owner = panel_ != nullptr ? static_cast<QWidget*>(panel_) : window_;
    QMessageBox::critical(owner, AppTitle(), Text(texts_().log.csvNotWritten).arg(reason));
}

void ReplayViews::SetLanguage(const UiTexts& texts) {
    if (panel_ != nullptr) panel_->SetLanguage(texts);
}

void ReplayViews::OpenPanel(const QString& fileName) {
    ClosePanel();
    panel_ = new ReplayPanel(*session_.Player(), fileName, texts_(), window_);
    connect(panel_, &ReplayPanel::ended, &session_, &CalibrationSession::EndReplay);
    connect(panel_, &ReplayPanel::exportCsvAsked, this, &ReplayViews::ExportCsv);
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
