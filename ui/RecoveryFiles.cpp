// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/RecoveryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <variant>

#include "files/ParamFile.h"
#include "files/PlainFile.h"

namespace {
constexpr char kPanelFile[] = "unstored-panel.tq4";
constexpr char kStoredFile[] = "stored-set.tq4";

// Only a whole set counts; anything else there is no record. Read as a plain
// file, so that something else put in its place cannot hold the start.
std::optional<PanelParams> ReadSet(const QString& path) {
    const FileRead read = ReadRegularFile(QFile::encodeName(path).toStdString(), kParamFileSize);
    const auto* bytes = std::get_if<FileBytes>(&read);
    if (bytes == nullptr || bytes->size() != kParamFileSize) return std::nullopt;
    PanelParams params{};
    DecodeParamFile(*bytes, params);
    return params;
}

bool WriteSet(const QString& path, const PanelParams& params, QString& reason) {
    const ParamFileBytes bytes = EncodeParamFile(params);
    const auto size = static_cast<qint64>(bytes.size());
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                         file.write(reinterpret_cast<const char*>(bytes.data()), size) == size &&
                         file.commit();
    if (!written)
        reason = QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString();
    return written;
}
}  // namespace

RecoveryFiles::RecoveryFiles(QObject* parent)
    : QObject(parent), folder_(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) {
    writeSoon_.setSingleShot(true);
    writeSoon_.setInterval(0);
    connect(&writeSoon_, &QTimer::timeout, this, &RecoveryFiles::WriteWanted);
    const std::optional<PanelParams> panel = ReadSet(PathOf(kPanelFile));
    const std::optional<PanelParams> stored = ReadSet(PathOf(kStoredFile));
    if (panel && stored) {
        earlier_ = Earlier{{*panel, *stored}, QFileInfo(PathOf(kPanelFile)).lastModified()};
        onDisk_ = earlier_->record;
    }
}

QString RecoveryFiles::PathOf(const char* name) const {
    return QDir(folder_).filePath(QString::fromLatin1(name));
}

void RecoveryFiles::DropEarlierRecord() {
    if (!earlier_) return;
    earlier_.reset();
    Remove();
    onDisk_.reset();
    if (wanted_) writeSoon_.start();
}

void RecoveryFiles::Follow(const std::optional<UnstoredRecord>& record) {
    if (finished_) return;
    wanted_ = record;
    if (wanted_ != onDisk_ && !writeSoon_.isActive()) writeSoon_.start();
}

void RecoveryFiles::Finish(const std::optional<UnstoredRecord>& record) {
    if (finished_) return;
    wanted_ = record;
    writeSoon_.stop();
    WriteWanted();
    finished_ = true;
}

// An earlier run's record stays as it is until it has been offered.
void RecoveryFiles::WriteWanted() {
    if (earlier_ || wanted_ == onDisk_) return;
    if (!wanted_) {
        Remove();
        onDisk_.reset();
        return;
    }
    QString reason;
    if (Write(*wanted_, reason)) {
        onDisk_ = wanted_;
    } else {
        emit writeFailed(reason);
    }
}

// The stored set changes alone (a store frame went out), or together with
// the panel at a link-up, which leaves nothing to keep. Written first, and
// only when it changed, it leaves a matching pair whenever a run ends between
// the two files.
bool RecoveryFiles::Write(const UnstoredRecord& record, QString& reason) const {
    if (!QDir().mkpath(folder_)) {
        reason = QDir::toNativeSeparators(folder_);
        return false;
    }
    if (!onDisk_ || onDisk_->stored != record.stored) {
        if (!WriteSet(PathOf(kStoredFile), record.stored, reason)) return false;
    }
    return WriteSet(PathOf(kPanelFile), record.panel, reason);
}

// The panel first: without it, what remains is no record.
void RecoveryFiles::Remove() const {
    QFile::remove(PathOf(kPanelFile));
    QFile::remove(PathOf(kStoredFile));
}
