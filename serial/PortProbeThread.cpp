// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "serial/PortProbeThread.h"

#include <QFileInfo>
#include <QSerialPort>

PortProbeThread::PortProbeThread(PortResolver resolver, ProbeTimings timings,
                                 std::shared_ptr<std::atomic<bool>> stop,
                                 std::shared_ptr<ListeningDevices> listening)
    : resolver_(std::move(resolver)),
      timings_(timings),
      stop_(std::move(stop)),
      listening_(std::move(listening)) {}

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

void PortProbeThread::run() {
    for (int port = kFirstPort; port <= kLastPort; ++port) {
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
