// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/PortProbeThread.h"

#include <QFileInfo>
#include <QSerialPort>

PortProbeThread::PortProbeThread(PortResolver resolver, ProbeTimings timings,
                                 std::shared_ptr<std::atomic<bool>> stop,
                                 std::shared_ptr<ListeningDevices> listening,
                                 std::function<int()> firstPort)
    : resolver_(std::move(resolver)),
      timings_(timings),
      stop_(std::move(stop)),
      listening_(std::move(listening)),
      firstPort_(std::move(firstPort)) {}

void PortProbeThread::AskToEnd() {
    {
        std::lock_guard lock(endMutex_);
        requestInterruption();
    }
    endRequested_.notify_all();
}

bool PortProbeThread::SleepUnlessEnded(std::chrono::milliseconds time) {
    std::unique_lock lock(endMutex_);
    return !endRequested_.wait_for(lock, time, [this] { return isInterruptionRequested(); });
}

std::vector<int> PortProbeThread::PortsInOrder() {
    const int first = firstPort_ ? firstPort_() : 0;
    // Let go at once of what the finder holds, which is the window's.
    firstPort_ = nullptr;
    std::vector<int> ports;
    if (first >= kFirstPort && first <= kLastPort) ports.push_back(first);
    for (int port = kFirstPort; port <= kLastPort; ++port) {
        if (port != first) ports.push_back(port);
    }
    return ports;
}

void PortProbeThread::run() {
    for (const int port : PortsInOrder()) {
        if (stop_->load(std::memory_order_acquire) || isInterruptionRequested()) return;
        if (ListenOn(port) > 0) {
            emit portFound(port);
            return;
        }
    }
}

// Bytes heard on the port in the listening window; 0 when it cannot be opened.
int PortProbeThread::ListenOn(int port) {
    const QString device = QString::fromStdString(resolver_(port));
    if (device.isEmpty() || !QFileInfo::exists(device)) return 0;
    // Created here, on the worker's own thread. Through the same canonical path
    // as the channel, so their lock files exclude each other.
    QSerialPort serial;
    serial.setPortName(device);
    listening_->Add(device);
    if (!serial.open(QIODevice::ReadWrite)) {
        listening_->Remove(device);
        return 0;
    }
    serial.setBaudRate(QSerialPort::Baud9600);
    serial.setDataBits(QSerialPort::Data8);
    serial.setParity(QSerialPort::NoParity);
    serial.setStopBits(QSerialPort::OneStop);
    serial.setFlowControl(QSerialPort::NoFlowControl);
    serial.clear(QSerialPort::Input);
    qint64 heard = 0;
    if (SleepUnlessEnded(timings_.listen)) {
        serial.waitForReadyRead(static_cast<int>(timings_.readTimeout.count()));
        heard = serial.read(kReadSize).size();
    }
    serial.close();
    listening_->Remove(device);
    return static_cast<int>(heard);
}
