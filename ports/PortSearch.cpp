// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/PortSearch.h"

#include <QDeadlineTimer>
#include <utility>

#include "ports/PortProbeThread.h"

PortSearch::PortSearch(PortResolver resolver, ProbeTimings timings, QObject* parent)
    : QObject(parent), resolver_(std::move(resolver)), timings_(timings) {}

PortSearch::~PortSearch() {
    EndAll(EndTime());
    // Destroying a running thread would end the process; a stuck worker keeps
    // only shared things and goes with the process instead.
    for (auto* worker : findChildren<PortProbeThread*>()) {
        if (worker->isRunning()) worker->setParent(nullptr);
    }
}

void PortSearch::Launch(std::shared_ptr<std::atomic<bool>> stop, std::function<int()> firstPort) {
    auto* worker =
        new PortProbeThread(resolver_, timings_, std::move(stop), listening_, std::move(firstPort));
    worker->setParent(this);
    connect(worker, &PortProbeThread::portFound, this, &PortSearch::portFound,
            Qt::QueuedConnection);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    if (held_) {
        waiting_.push_back(worker);
        return;
    }
    worker->start();
}

void PortSearch::Hold() {
    held_ = true;
}

void PortSearch::Release() {
    held_ = false;
    for (PortProbeThread* worker : std::exchange(waiting_, {})) worker->start();
}

bool PortSearch::IsListeningOn(const QString& device) const {
    return listening_->Contains(device);
}

int PortSearch::RunningCount() const {
    int running = static_cast<int>(waiting_.size());
    for (const auto* worker : findChildren<PortProbeThread*>()) running += worker->isRunning();
    return running;
}

bool PortSearch::EndAll(std::chrono::milliseconds limit) {
    // Those never started have nothing to end.
    for (PortProbeThread* worker : std::exchange(waiting_, {})) delete worker;
    const QDeadlineTimer deadline(limit);
    const auto workers = findChildren<PortProbeThread*>();
    for (auto* worker : workers) worker->AskToEnd();
    bool allEnded = true;
    for (auto* worker : workers) allEnded = worker->wait(deadline) && allEnded;
    return allEnded;
}
