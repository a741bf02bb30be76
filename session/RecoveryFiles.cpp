// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "session/RecoveryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <variant>

#include "files/ParamFile.h"
#include "files/PlainFile.h"
#include "session/SetFiles.h"

namespace {
constexpr char kPanelFile[] = "unstored-panel.tq4";
constexpr char kStoredFile[] = "stored-set.tq4";
// A record moved aside is named "<prefix><time>-<its own name>".
constexpr char kKeptPrefix[] = "kept-";
constexpr char kDamagedPrefix[] = "damaged-";
// A set kept by itself is "panel-<time>.tq4".
constexpr char kSetPrefix[] = "panel-";
constexpr char kSetSuffix[] = ".tq4";
constexpr char kStampFormat[] = "yyyyMMdd-HHmmss";

QString Latin1(const char* text) {
    return QString::fromLatin1(text);
}

QString AsideName(const char* name) {
    return QLatin1Char('-') + Latin1(name);
}

// The files are renamed as they are: a link stays a link, its target untouched.
bool MoveAside(const QString& from, const QString& to) {
    return QFileInfo(from).isSymLink() || QFileInfo::exists(from) ? QFile::rename(from, to) : false;
}
}  // namespace

RecoveryFiles::RecoveryFiles(QObject* parent)
    : QObject(parent),
      folder_(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)),
      current_{PathOf(Latin1(kPanelFile)), PathOf(Latin1(kStoredFile))} {
    writeSoon_.setSingleShot(true);
    writeSoon_.setInterval(0);
    connect(&writeSoon_, &QTimer::timeout, this, &RecoveryFiles::WriteWanted);
    ReadEarlierRecord();
}

QString RecoveryFiles::PathOf(const QString& name) const {
    return QDir(folder_).filePath(name);
}

QString RecoveryFiles::StampedPath(const QString& prefix, const QDateTime& time,
                                   const QString& suffix) const {
    const QString stem = prefix + time.toString(Latin1(kStampFormat));
    QString path = PathOf(stem + suffix);
    for (int n = 2; QFileInfo(path).exists() || QFileInfo(path).isSymLink(); ++n) {
        path = PathOf(stem + QStringLiteral("-%1").arg(n) + suffix);
    }
    return path;
}

// The run's own record slot first; without one there, the newest record kept
// for later. A lone stored set is what an interrupted removal leaves: no record.
void RecoveryFiles::ReadEarlierRecord() {
    const SetFile panel = ReadSetFile(current_.panel);
    const SetFile stored = ReadSetFile(current_.stored);
    if (panel.switchedOff || stored.switchedOff) return;
    if (panel.present && (!panel.params || !stored.params)) {
        SetAside(current_);
    } else if (!panel.present && stored.present && !stored.params) {
        SetAside(current_);
    } else if (panel.params) {
        earlier_ =
            Earlier{{*panel.params, *stored.params}, QFileInfo(current_.panel).lastModified()};
        earlierFiles_ = current_;
        onDisk_ = earlier_->record;
        return;
    }
    const std::optional<Pair> kept = NewestKeptPair();
    if (!kept) return;
    const SetFile keptPanel = ReadSetFile(kept->panel);
    const SetFile keptStored = ReadSetFile(kept->stored);
    if (!keptPanel.params || !keptStored.params) return;
    earlier_ =
        Earlier{{*keptPanel.params, *keptStored.params}, QFileInfo(kept->panel).lastModified()};
    earlierFiles_ = *kept;
}

std::optional<RecoveryFiles::Pair> RecoveryFiles::NewestKeptPair() const {
    const QString panelEnd = AsideName(kPanelFile);
    const QStringList names = QDir(folder_).entryList(
        {Latin1(kKeptPrefix) + QLatin1Char('*') + panelEnd}, QDir::Files, QDir::Name);
    if (names.isEmpty()) return std::nullopt;
    const QString panel = names.last();
    const QString stem = panel.left(panel.size() - panelEnd.size());
    return Pair{PathOf(panel), PathOf(stem + AsideName(kStoredFile))};
}

void RecoveryFiles::SetAside(const Pair& pair) {
    const QDateTime now = QDateTime::currentDateTime();
    const QString prefix = Latin1(kDamagedPrefix);
    const QString panel = StampedPath(prefix, now, AsideName(kPanelFile));
    if (MoveAside(pair.panel, panel)) setAside_ = QFileInfo(panel).fileName();
    const QString stored = StampedPath(prefix, now, AsideName(kStoredFile));
    if (MoveAside(pair.stored, stored) && setAside_.isEmpty())
        setAside_ = QFileInfo(stored).fileName();
}

void RecoveryFiles::DropEarlierRecord() {
    if (!earlier_) return;
    earlier_.reset();
    Remove(earlierFiles_);
    if (earlierFiles_.panel == current_.panel) onDisk_.reset();
    if (wanted_) writeSoon_.start();
}

void RecoveryFiles::KeepEarlierRecord() {
    if (!earlier_) return;
    if (earlierFiles_.panel == current_.panel) {
        const QString prefix = Latin1(kKeptPrefix);
        // The stored set first, so that a kept panel always has its pair.
        MoveAside(current_.stored, StampedPath(prefix, earlier_->savedAt, AsideName(kStoredFile)));
        MoveAside(current_.panel, StampedPath(prefix, earlier_->savedAt, AsideName(kPanelFile)));
        onDisk_.reset();
    }
    earlier_.reset();
    if (wanted_) writeSoon_.start();
}

std::optional<QString> RecoveryFiles::KeepSet(const PanelParams& params, QString& reason) const {
    if (!QDir().mkpath(folder_)) {
        reason = QDir::toNativeSeparators(folder_);
        return std::nullopt;
    }
    const QString path =
        StampedPath(Latin1(kSetPrefix), QDateTime::currentDateTime(), Latin1(kSetSuffix));
    if (!WriteSetFile(path, params, reason)) return std::nullopt;
    return QDir::toNativeSeparators(path);
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

// An earlier run's record in the run's own slot stays as it is until it has
// been offered.
void RecoveryFiles::WriteWanted() {
    if ((earlier_ && earlierFiles_.panel == current_.panel) || wanted_ == onDisk_) return;
    if (!wanted_) {
        Remove(current_);
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
        if (!WriteSetFile(current_.stored, record.stored, reason)) return false;
    }
    return WriteSetFile(current_.panel, record.panel, reason);
}

// The panel first: without it, what remains is no record.
void RecoveryFiles::Remove(const Pair& pair) const {
    QFile::remove(pair.panel);
    QFile::remove(pair.stored);
}
