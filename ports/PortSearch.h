// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "ports/ListeningDevices.h"
#include "ports/core/PortNames.h"
#include "ports/core/ProbeTimings.h"

class PortProbeThread;

// The window's searches for its controller: starts a worker for each search,
// hands on their finds, and ends them when the window goes. A search does not
// stop or wait for an earlier one; all of them share the window's stop flag.
class PortSearch : public QObject {
    Q_OBJECT

public:
    PortSearch(PortResolver resolver, ProbeTimings timings, QObject* parent = nullptr);
    // Ends every worker (see EndAll); one stuck inside the system is left to
    // the end of the process rather than waited for.
    ~PortSearch() override;

    // firstPort, if given, runs on the worker and names a port to try
    // before COM1 (0 for none).
    void Launch(std::shared_ptr<std::atomic<bool>> stop, std::function<int()> firstPort = {});
    // Searches launched while held wait, made but not started, until
    // released: the window holds its first search until it has drawn itself,
    // so that the worker does not compete with the first paint.
    void Hold();
    void Release();
    // Whether one of the workers holds this device at this moment.
    bool IsListeningOn(const QString& device) const;
    // The workers running, and those waiting to be released.
    int RunningCount() const;
    // Every worker stops listening at once, closes its port and ends without
    // a find; waits at most `limit` for them. True when none is left running.
    bool EndAll(std::chrono::milliseconds limit);

    // A worker is at most one listening window away from having ended.
    std::chrono::milliseconds EndTime() const { return timings_.listen; }

signals:
    // A worker heard something on COMn. Queued to the window's thread.
    void portFound(int port);

private:
    PortResolver resolver_;
    ProbeTimings timings_;
    std::shared_ptr<ListeningDevices> listening_ = std::make_shared<ListeningDevices>();
    bool held_ = false;
    std::vector<PortProbeThread*> waiting_;
};
