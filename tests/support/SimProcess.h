// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

// A running dx470-sim for tests: its pseudo-terminal path, its log lines, and
// its run-time commands.
class SimProcess {
public:
    explicit SimProcess(
        const QStringList& arguments = {},
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts it and waits for its port line; false if it did not come.
    bool Start(int timeoutMs = 5000);
    QString PortPath() const { return portPath_; }
    // After "plug": waits for the port line of the new pseudo-terminal and
    // gives its path; empty if it did not come.
    QString WaitForNewPort(int timeoutMs = 5000);
    // Every stdout line so far, reading whatever is waiting.
    QStringList Lines();
    // Lines starting with prefix, e.g. "rx set".
    QStringList LinesStartingWith(const QString& prefix);
    // The frames it received ("rx ..."), each repeat right after the same
    // frame left out: an echo of the old value already on its way may make
    // the window send a frame once more.
    QStringList ReceivedOnce();
    void Command(const QString& command);
    // Frames sent since it started, as it counts them; -1 if it does not say.
    long SentCount();
    void Stop();

private:
    void ReadWaiting();

    QProcess process_;
    QString portPath_;
    QStringList lines_;
    QByteArray partial_;
};

// A dx470-sim that has started and told its port; null if it did not.
std::unique_ptr<SimProcess> StartedSim(const QStringList& arguments = {});

// Path of the built virtual controller, given to the tests by the build.
QString SimPath();
