// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/ReplayLoad.h"

#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <algorithm>
#include <utility>

#include "ui/QtTexts.h"
#include "ui/UiTexts.h"

namespace {
// The progress window appears once the reading has taken this long.
constexpr int kShowProgressAfterMs = 400;
constexpr int kProgressPeriodMs = 100;
constexpr int kProgressSteps = 1000;

}  // namespace

ReplayLoad::ReplayLoad(const QString& path, std::uint64_t maxBytes, const LogTexts& texts,
                       QWidget* window)
    : QObject(window), path_(path), progress_(new QProgressDialog(window)) {
    const QString fileName = QFileInfo(path).fileName();
    progress_->setObjectName(QStringLiteral("replayLoadProgress"));
    progress_->setWindowModality(Qt::NonModal);
    progress_->setWindowTitle(Text(texts.replayCaption) + QStringLiteral(" - ") + fileName);
    progress_->setLabelText(Text(texts.reading).arg(fileName));
    progress_->setCancelButtonText(Text(texts.cancelReading));
    progress_->setRange(0, kProgressSteps);
    progress_->setMinimumDuration(kShowProgressAfterMs);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    connect(progress_, &QProgressDialog::canceled, this, &ReplayLoad::Cancel);
    // Its clock starts here: it shows itself once the reading has taken long.
    progress_->setValue(0);
    progressTimer_.setInterval(kProgressPeriodMs);
    connect(&progressTimer_, &QTimer::timeout, this, &ReplayLoad::ShowProgress);
    progressTimer_.start();

    connect(this, &ReplayLoad::workerEnded, this, &ReplayLoad::OnWorkerEnded, Qt::QueuedConnection);
    worker_ = std::jthread(
        [this, file = QFile::encodeName(path).toStdString(), maxBytes](std::stop_token stop) {
            result_ =
                ReadLogFile(file, maxBytes, [this, &stop](std::uint64_t done, std::uint64_t size) {
                    bytesDone_.store(done, std::memory_order_relaxed);
                    fileSize_.store(size, std::memory_order_relaxed);
                    return !stop.stop_requested();
                });
            emit workerEnded();
        });
}

ReplayLoad::~ReplayLoad() {
    delete progress_;
}

QProgressDialog* ReplayLoad::Progress() const {
    return progress_;
}

void ReplayLoad::Cancel() {
    if (cancelled_) return;
    cancelled_ = true;
    worker_.request_stop();
    progressTimer_.stop();
    progress_->hide();
}

LogFileRead ReplayLoad::TakeRead() {
    LogFileRead read = result_ ? std::move(*result_) : LogFileRead{};
    result_.reset();
    return read;
}

void ReplayLoad::ShowProgress() {
    const std::uint64_t size = fileSize_.load(std::memory_order_relaxed);
    if (size == 0) return;
    const std::uint64_t done = bytesDone_.load(std::memory_order_relaxed);
    progress_->setValue(static_cast<int>(std::min(done, size) * kProgressSteps / size));
}

void ReplayLoad::OnWorkerEnded() {
    // The worker has said its last word: it is at most leaving its thread.
    worker_.join();
    progressTimer_.stop();
    progress_->hide();
    if (cancelled_) {
        deleteLater();
        return;
    }
    emit read();
}

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
