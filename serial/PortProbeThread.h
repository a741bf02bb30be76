// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QThread>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "serial/ListeningDevices.h"
#include "serial/PortNames.h"
#include "serial/ProbeTimings.h"

// A search worker: listens on COM1..COM20 in turn and reports the first port
// on which anything at all arrives. It never writes to a port and never
// touches the window: it reads the shared stop flag before each port and
// reports its find by a signal, which reaches the window's thread queued.
class PortProbeThread : public QThread {
    Q_OBJECT

public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 20;
    static constexpr qint64 kReadSize = 15;

    PortProbeThread(PortResolver resolver, ProbeTimings timings,
                    std::shared_ptr<std::atomic<bool>> stop,
                    std::shared_ptr<ListeningDevices> listening);

    // Stops listening at once: the port is closed, its lock file released,
    // and the worker ends without a find.
    void AskToEnd();

signals:
    void portFound(int port);

protected:
    void run() override;

private:
    int ListenOn(int port);
    // Sleeps for the time unless asked to end; true when it slept it all.
    bool SleepUnlessEnded(std::chrono::milliseconds time);

    PortResolver resolver_;
    ProbeTimings timings_;
    std::shared_ptr<std::atomic<bool>> stop_;
    std::shared_ptr<ListeningDevices> listening_;
    std::mutex endMutex_;
    std::condition_variable endRequested_;
};
