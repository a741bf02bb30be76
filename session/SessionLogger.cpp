// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "session/SessionLogger.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <ctime>

#include "link/TickCount.h"
#include "log/LogNames.h"
#include "ports/SettingsFile.h"

namespace {
// $XDG_CONFIG_HOME/dx470/dx470.conf, beside the port folder.
constexpr char kSettingsOwner[] = "dx470";
constexpr char kRecordKey[] = "log/record";
constexpr int kFirstYear = 1900;

QSettings Settings() {
    return QSettings(QString::fromLatin1(kSettingsOwner), QString::fromLatin1(kSettingsOwner));
}

std::tm LocalTimeNow() {
    const QDateTime now = QDateTime::currentDateTime();
    std::tm local{};
    local.tm_year = now.date().year() - kFirstYear;
    local.tm_mon = now.date().month() - 1;
    local.tm_mday = now.date().day();
    local.tm_hour = now.time().hour();
    local.tm_min = now.time().minute();
    local.tm_sec = now.time().second();
    return local;
}

// Paths go to the Qt-free log as bytes in the file system's encoding.
std::string LocalBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
}  // namespace

SessionLogger::SessionLogger(QObject* parent) : QObject(parent) {
    enabled_ = Settings().value(QString::fromLatin1(kRecordKey), true).toBool();
    flushTimer_.setInterval(kFlushPeriodMs);
    connect(&flushTimer_, &QTimer::timeout, this, &SessionLogger::Flush);
}

SessionLogger::~SessionLogger() = default;

QString SessionLogger::Folder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QLatin1Char('/') +
           QString::fromLatin1(kLogFolderName);
}

QString SessionLogger::Path() const {
    return Recording() ? QFile::decodeName(QByteArray::fromStdString(log_.Path())) : QString();
}

void SessionLogger::SetEnabled(bool enabled, const PanelParams& panel) {
    if (!enabled) End(panel);
    enabled_ = enabled;
    QSettings settings = Settings();
    if (const std::optional<QString> refusal = SettingsRefusal(settings.fileName())) {
        emit settingsNotSaved(*refusal);
        return;
    }
    settings.setValue(QString::fromLatin1(kRecordKey), enabled);
}

void SessionLogger::SetForThisRun(bool enabled, const QString& folder) {
    enabled_ = enabled;
    folder_ = folder;
}

void SessionLogger::Begin(const PanelParams& panel) {
    if (!enabled_) return;
    End(panel);
    Report(log_.Begin(LocalBytes(RunFolder()), LocalTimeNow(), SteadyMicros(), panel, obdColumns_));
    if (!Recording()) return;
    flushTimer_.start();
    emit recordingChanged(true);
}

// A log keeps the columns it began with: one that is being written without
// them ends, and the next begins with them.
void SessionLogger::SetObdColumns(bool withObd, const PanelParams& panel) {
    if (withObd == obdColumns_) return;
    obdColumns_ = withObd;
    if (withObd && Recording()) Begin(panel);
}

void SessionLogger::End(const PanelParams& panel) {
    if (!Recording()) return;
    flushTimer_.stop();
    Report(log_.End(panel));
    emit recordingChanged(false);
}

void SessionLogger::AddFrame(const SessionFrame& frame) {
    if (!Recording()) return;
    log_.AddFrame(frame);
    if (log_.Pending() > kMostPendingBytes) Flush();
}

std::int32_t SessionLogger::AddEvent(const SessionEvent& event) {
    return log_.AddEvent(event);
}

void SessionLogger::Flush() {
    Report(log_.Flush());
}

void SessionLogger::Report(const std::optional<SessionLog::Failure>& failure) {
    if (!failure) return;
    const bool wasRecording = flushTimer_.isActive();
    flushTimer_.stop();
    const QString path = QFile::decodeName(QByteArray::fromStdString(failure->path));
    emit stopped(QFileInfo(path).fileName(), QString::fromLocal8Bit(failure->reason));
    if (wasRecording) emit recordingChanged(false);
}
