// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/support/SimProcess.h"

#include <QDeadlineTimer>
#include <QTest>

namespace {
// How long the simulator may take to answer a run-time command; the window's
// events are handled meanwhile.
constexpr int kAnswerTimeoutMs = 2000;
constexpr int kAnswerPollMs = 5;
}  // namespace

SimProcess::SimProcess(const QStringList& arguments, const QProcessEnvironment& environment) {
    process_.setProgram(SimPath());
    process_.setArguments(arguments);
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
}

SimProcess::~SimProcess() {
    Stop();
}

bool SimProcess::Start(int timeoutMs) {
    process_.start();
    if (!process_.waitForStarted(timeoutMs)) return false;
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        for (const QString& line : Lines()) {
            if (line.startsWith("port ")) {
                portPath_ = line.mid(5).trimmed();
                return true;
            }
        }
        process_.waitForReadyRead(50);
    }
    return false;
}

QString SimProcess::WaitForNewPort(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QStringList ports = LinesStartingWith(QStringLiteral("port "));
        const QString latest = ports.isEmpty() ? QString() : ports.last().mid(5).trimmed();
        if (!latest.isEmpty() && latest != portPath_) {
            portPath_ = latest;
            return portPath_;
        }
        process_.waitForReadyRead(10);
    }
    return {};
}

void SimProcess::ReadWaiting() {
    partial_ += process_.readAllStandardOutput();
    int end;
    while ((end = partial_.indexOf('\n')) >= 0) {
        lines_ << QString::fromUtf8(partial_.left(end));
        partial_.remove(0, end + 1);
    }
}

QStringList SimProcess::Lines() {
    process_.waitForReadyRead(0);
    ReadWaiting();
    return lines_;
}

QStringList SimProcess::LinesStartingWith(const QString& prefix) {
    QStringList found;
    for (const QString& line : Lines()) {
        if (line.startsWith(prefix)) found << line;
    }
    return found;
}

QStringList SimProcess::ReceivedOnce() {
    QStringList frames;
    for (const QString& line : LinesStartingWith(QStringLiteral("rx "))) {
        if (frames.isEmpty() || frames.last() != line) frames << line;
    }
    return frames;
}

void SimProcess::Command(const QString& command) {
    process_.write((command + "\n").toUtf8());
    process_.waitForBytesWritten(1000);
}

void SimProcess::Stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(2000)) {
        process_.kill();
        process_.waitForFinished(2000);
    }
}

std::unique_ptr<SimProcess> StartedSim(const QStringList& arguments) {
    auto sim = std::make_unique<SimProcess>(arguments);
    return sim->Start() ? std::move(sim) : nullptr;
}

QString SimPath() {
    return QStringLiteral(DX470_SIM_PATH);
}

long SimProcess::SentCount() {
    const QString prefix = QStringLiteral("sent ");
    const qsizetype before = LinesStartingWith(prefix).size();
    Command(QStringLiteral("count"));
    const QDeadlineTimer deadline(kAnswerTimeoutMs);
    while (!deadline.hasExpired()) {
        const QStringList lines = LinesStartingWith(prefix);
        if (lines.size() > before) return lines.last().mid(prefix.size()).toLong();
        QTest::qWait(kAnswerPollMs);
    }
    return -1;
}
