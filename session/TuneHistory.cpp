// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "session/TuneHistory.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <variant>

#include "files/PlainFile.h"
#include "session/SetFiles.h"

namespace {
constexpr char kHistoryFolder[] = "history";
constexpr char kIndexFile[] = "index.txt";
constexpr char kFingerprintsFile[] = "fingerprints.txt";
constexpr char kNotesFile[] = "notes.txt";
constexpr char kSidecarSuffix[] = ".txt";
constexpr char kDamagedStamp[] = "yyyyMMdd-HHmmss";
// Far beyond what 200 points with notes take; a larger file is no index.
constexpr std::size_t kMostIndexBytes = 8 * 1024 * 1024;
constexpr std::size_t kMostNoteBytes = 1024 * 1024;
constexpr int kNumberDigits = 6;

QString Latin1(const char* text) {
    return QString::fromLatin1(text);
}

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// A small text file's bytes, read as a plain file; nothing when it is not
// there or cannot be read.
std::optional<std::string> ReadText(const QString& path, std::size_t mostBytes) {
    const FileRead read = ReadRegularFile(QFile::encodeName(path).toStdString(), mostBytes);
    const auto* bytes = std::get_if<FileBytes>(&read);
    if (bytes == nullptr || bytes->size() > mostBytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

QString SetName(std::uint64_t number, const char* kind) {
    return QStringLiteral("%1-%2.tq4").arg(number, kNumberDigits, 10, QLatin1Char('0')).arg(kind);
}

bool IsController(const QString& name) {
    return SetOfFingerprint(Utf8(name)).has_value();
}
}  // namespace

TuneHistory::TuneHistory(const QString& folder, QObject* parent)
    : QObject(parent),
      folder_(folder.isEmpty()
                  ? QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                        .filePath(Latin1(kHistoryFolder))
                  : folder) {}

QString TuneHistory::ControllerFolder(const QString& controller) const {
    return QDir(folder_).filePath(controller);
}

QString TuneHistory::IndexPath(const QString& controller) const {
    return QDir(ControllerFolder(controller)).filePath(Latin1(kIndexFile));
}

QStringList TuneHistory::Controllers() const {
    QStringList controllers;
    const QStringList names = QDir(folder_).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (IsController(name)) controllers << name;
    }
    return controllers;
}

QStringList TuneHistory::Fingerprints(const QString& controller) const {
    const QString path = QDir(ControllerFolder(controller)).filePath(Latin1(kFingerprintsFile));
    const std::optional<std::string> text = ReadText(path, kMostIndexBytes);
    QStringList fingerprints;
    if (!text) return fingerprints;
    for (const QString& line : QString::fromStdString(*text).split(QLatin1Char('\n'))) {
        if (IsController(line)) fingerprints << line;
    }
    return fingerprints;
}

bool TuneHistory::AddFingerprint(const QString& controller, const QString& fingerprint,
                                 QString& reason) {
    QStringList fingerprints = Fingerprints(controller);
    if (!fingerprints.isEmpty() && fingerprints.constLast() == fingerprint) return true;
    fingerprints.removeAll(fingerprint);
    fingerprints << fingerprint;
    const QString path = QDir(ControllerFolder(controller)).filePath(Latin1(kFingerprintsFile));
    return WriteWholeFile(path, (fingerprints.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(),
                          reason);
}

// The controller whose newest stored set this is; failing that, one that had
// it once; failing that, a new one.
void TuneHistory::OpenController(const PanelParams& stored) {
    const QString fingerprint = QString::fromStdString(FingerprintOf(stored));
    QString once;
    for (const QString& controller : Controllers()) {
        const QStringList fingerprints = Fingerprints(controller);
        if (!fingerprints.isEmpty() && fingerprints.constLast() == fingerprint) {
            current_ = controller;
            return;
        }
        if (once.isEmpty() && fingerprints.contains(fingerprint)) once = controller;
    }
    current_ = once.isEmpty() ? fingerprint : once;
}

void TuneHistory::NoteStored(const PanelParams& stored) {
    QString reason;
    if (!current_.isEmpty() && QDir().mkpath(ControllerFolder(current_))) {
        AddFingerprint(current_, QString::fromStdString(FingerprintOf(stored)), reason);
    }
}

ParsedIndex TuneHistory::ReadIndex(const QString& controller,
                                   std::vector<Problem>* problems) const {
    const QString path = IndexPath(controller);
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) {
        ParsedIndex none;
        none.known = true;
        return none;
    }
    const std::optional<std::string> text = ReadText(path, kMostIndexBytes);
    ParsedIndex index = text ? ParseIndex(*text) : ParsedIndex{};
    if (problems == nullptr) return index;
    if (!index.known) problems->push_back({Problem::Kind::NotAnIndex, path});
    for (const int line : index.damagedLines) {
        problems->push_back({Problem::Kind::DamagedLine, path, line});
    }
    return index;
}

bool TuneHistory::WriteIndex(const QString& controller, const std::vector<RestorePoint>& points,
                             const ParsedIndex& read, QString& reason) {
    const QString path = IndexPath(controller);
    // Copied only from a regular file: anything else is left alone, and the
    // write below refuses to replace it.
    const bool damaged = !read.known || !read.damagedLines.empty();
    if (damaged && KindAt(QFile::encodeName(path).toStdString()) == FileKind::Regular) {
        const QString aside =
            QDir(ControllerFolder(controller))
                .filePath(QStringLiteral("index-damaged-%1.txt")
                              .arg(QDateTime::currentDateTime().toString(Latin1(kDamagedStamp))));
        if (!QFileInfo::exists(aside) && !QFile::copy(path, aside)) {
            reason = QStringLiteral("%1: the damaged index cannot be kept aside")
                         .arg(QDir::toNativeSeparators(path));
            return false;
        }
    }
    return WriteWholeFile(path, QByteArray::fromStdString(FormatIndex(points)), reason);
}

bool TuneHistory::AddPoint(RestoreCause cause, const PanelParams& panel, const PanelParams& stored,
                           QString& reason) {
    if (current_.isEmpty()) {
        reason = QStringLiteral("no controller is linked");
        return false;
    }
    const QDir folder(ControllerFolder(current_));
    if (!folder.mkpath(QStringLiteral("."))) {
        reason = QStringLiteral("%1: cannot be made").arg(QDir::toNativeSeparators(folder.path()));
        return false;
    }
    ParsedIndex read = ReadIndex(current_, nullptr);
    std::vector<RestorePoint> points = read.known ? read.points : std::vector<RestorePoint>{};
    std::uint64_t number = 1;
    for (const RestorePoint& point : points) number = std::max(number, point.number + 1);
    // Sets a point cut short by an end left behind are not written over.
    while (QFileInfo::exists(folder.filePath(SetName(number, "panel"))) ||
           QFileInfo::exists(folder.filePath(SetName(number, "stored")))) {
        ++number;
    }
    const RestorePoint point{.number = number,
                             .timeMs = QDateTime::currentMSecsSinceEpoch(),
                             .cause = cause,
                             .panelFile = Utf8(SetName(number, "panel")),
                             .storedFile = Utf8(SetName(number, "stored")),
                             .note = {}};
    if (!WriteSetFile(folder.filePath(SetName(number, "panel")), panel, reason) ||
        !WriteSetFile(folder.filePath(SetName(number, "stored")), stored, reason)) {
        return false;
    }
    // The first point of a controller names the set it was first seen with.
    if (Fingerprints(current_).isEmpty() && !AddFingerprint(current_, current_, reason)) {
        return false;
    }
    points.push_back(point);
    const std::vector<RestorePoint> dropped = PointsBeyond(points, kPointsPerController);
    std::erase_if(points, [&](const RestorePoint& kept) {
        return std::find(dropped.begin(), dropped.end(), kept) != dropped.end();
    });
    if (!WriteIndex(current_, points, read, reason)) return false;
    for (const RestorePoint& old : dropped) {
        QFile::remove(folder.filePath(QString::fromStdString(old.panelFile)));
        QFile::remove(folder.filePath(QString::fromStdString(old.storedFile)));
    }
    emit changed();
    return true;
}

TuneHistory::Listing TuneHistory::Points(const QString& controller) const {
    Listing listing;
    if (!IsController(controller)) return listing;
    const ParsedIndex index = ReadIndex(controller, &listing.problems);
    const QDir folder(ControllerFolder(controller));
    for (auto point = index.points.rbegin(); point != index.points.rend(); ++point) {
        const QString panelPath = folder.filePath(QString::fromStdString(point->panelFile));
        const QString storedPath = folder.filePath(QString::fromStdString(point->storedFile));
        const SetFile panel = ReadSetFile(panelPath);
        const SetFile stored = ReadSetFile(storedPath);
        bool whole = true;
        for (const auto& [set, path] : {std::pair{&panel, &panelPath}, {&stored, &storedPath}}) {
            if (set->params) continue;
            whole = false;
            listing.problems.push_back(
                {set->present ? Problem::Kind::NotASet : Problem::Kind::Missing, *path});
        }
        if (whole) listing.points.push_back({controller, *point, *panel.params, *stored.params});
    }
    return listing;
}

TuneHistory::Listing TuneHistory::AllPoints() const {
    Listing all;
    for (const QString& controller : Controllers()) {
        Listing one = Points(controller);
        all.points.insert(all.points.end(), one.points.begin(), one.points.end());
        all.problems.insert(all.problems.end(), one.problems.begin(), one.problems.end());
    }
    std::stable_sort(all.points.begin(), all.points.end(), [](const Point& a, const Point& b) {
        return a.point.timeMs > b.point.timeMs;
    });
    return all;
}

bool TuneHistory::SetPointNote(const QString& controller, std::uint64_t number, const QString& note,
                               QString& reason) {
    if (!IsController(controller)) return false;
    ParsedIndex read = ReadIndex(controller, nullptr);
    std::vector<RestorePoint> points = read.points;
    const auto point = std::find_if(points.begin(), points.end(),
                                    [&](const RestorePoint& p) { return p.number == number; });
    if (point == points.end()) {
        reason = QStringLiteral("%1: no point %2")
                     .arg(QDir::toNativeSeparators(IndexPath(controller)))
                     .arg(number);
        return false;
    }
    point->note = Utf8(note);
    if (!WriteIndex(controller, points, read, reason)) return false;
    emit changed();
    return true;
}

QString TuneHistory::ControllerNote(const QString& controller) const {
    if (!IsController(controller)) return {};
    const std::optional<std::string> text =
        ReadText(QDir(ControllerFolder(controller)).filePath(Latin1(kNotesFile)), kMostNoteBytes);
    return text ? QString::fromStdString(*text) : QString();
}

bool TuneHistory::SetControllerNote(const QString& controller, const QString& note,
                                    QString& reason) {
    if (!IsController(controller) || !QDir().mkpath(ControllerFolder(controller))) return false;
    const QString path = QDir(ControllerFolder(controller)).filePath(Latin1(kNotesFile));
    if (!WriteWholeFile(path, note.toUtf8(), reason)) return false;
    emit changed();
    return true;
}

QString TuneHistory::SidecarPath(const QString& setPath) {
    const QFileInfo info(setPath);
    return info.dir().filePath(info.completeBaseName() + Latin1(kSidecarSuffix));
}

bool TuneHistory::WriteSidecar(const QString& setPath, QString& reason) const {
    const QString note = ControllerNote(current_);
    if (note.isEmpty()) return true;
    return WriteWholeFile(SidecarPath(setPath), note.toUtf8(), reason);
}
