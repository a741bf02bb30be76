// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "ports/ListeningDevices.h"
#include "ports/core/PortNames.h"
#include "ports/core/ProbeTimings.h"

// A search worker: listens on COM1..COM20 in turn and reports the first port
// on which anything at all arrives; a port it is told to try first goes ahead
// of the others. It never writes to a port and never touches the window: it
// reads the shared stop flag before each port and reports its find by a
// signal, which reaches the window's thread queued.
class PortProbeThread : public QThread {
    Q_OBJECT

public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 20;
    static constexpr qint64 kReadSize = 15;

    // firstPort, if given, runs on the worker and names the port to try
    // before COM1 (0 for none).
    PortProbeThread(PortResolver resolver, ProbeTimings timings,
                    std::shared_ptr<std::atomic<bool>> stop,
                    std::shared_ptr<ListeningDevices> listening,
                    std::function<int()> firstPort = {});

    // Stops listening at once: the port is closed, its lock file released,
    // and the worker ends without a find.
    void AskToEnd();

signals:
    void portFound(int port);

protected:
    void run() override;

private:
    std::vector<int> PortsInOrder();
    int ListenOn(int port);
    // Sleeps for the time unless asked to end; true when it slept it all.
    bool SleepUnlessEnded(std::chrono::milliseconds time);

    PortResolver resolver_;
    ProbeTimings timings_;
    std::shared_ptr<std::atomic<bool>> stop_;
    std::shared_ptr<ListeningDevices> listening_;
    std::function<int()> firstPort_;
    std::mutex endMutex_;
    std::condition_variable endRequested_;
};
