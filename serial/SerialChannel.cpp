// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "serial/SerialChannel.h"

#include <QFileInfo>

#include "link/TickCount.h"
#include "serial/DeviceGone.h"
#include "serial/OpenFailureHint.h"

namespace {
QString HintText(OpenFailureHint hint) {
    switch (hint) {
        case OpenFailureHint::JoinDialout:
            return QStringLiteral(
                "\nYour user may not use serial ports: add it to the 'dialout' group "
                "(sudo adduser $USER dialout) and log in again.");
        case OpenFailureHint::InUse:
            return QStringLiteral(
                "\nThe port is in use by another program. Close that program, or choose "
                "another port.");
        case OpenFailureHint::None:
            break;
    }
    return {};
}

QString OpenFailureText(const QString& device, const QSerialPort& port) {
    const OpenFailureHint hint = HintForOpenFailure(port.error(), UserMayReadWrite(device));
    return QStringLiteral("Cannot open %1: %2").arg(device, port.errorString()) + HintText(hint);
}
}  // namespace

SerialChannel::SerialChannel(PortResolver resolver, HeldBySearch heldBySearch, QObject* parent)
    : QObject(parent), resolver_(std::move(resolver)), heldBySearch_(std::move(heldBySearch)) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialChannel::OnReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialChannel::OnErrorOccurred);
}

SerialChannel::~SerialChannel() {
    watchingErrors_ = false;
    if (port_.isOpen()) port_.close();
}

void SerialChannel::SetPortNumber(std::int16_t port) {
    portNumber_ = port;
}

bool SerialChannel::IsOpen() const {
    return port_.isOpen();
}

void SerialChannel::Open() {
    if (port_.isOpen()) throw ChannelError("The port is already open.");
    const QString device = QString::fromStdString(resolver_(portNumber_));
    if (device.isEmpty() || !QFileInfo::exists(device)) return;
    port_.setPortName(device);
    device_ = device;
    watchingErrors_ = false;
    closePending_ = false;
    if (!port_.open(QIODevice::ReadWrite)) {
        // Held for a moment by one of our own search workers, which found
        // (or is about to find) the controller there: its find opens the port
        // again. Nothing to report, the channel stays closed.
        if (heldBySearch_ && heldBySearch_(device)) return;
        throw ChannelError(OpenFailureText(device, port_).toStdString());
    }
    Configure(device);
    port_.clear(QSerialPort::Input);
    // Set only now: while configuring, some setters fail harmlessly on a pty.
    watchingErrors_ = true;
    emit opened(SteadyMicros());
}

void SerialChannel::Configure(const QString& device) {
    const bool configured =
        port_.setBaudRate(QSerialPort::Baud9600) && port_.setDataBits(QSerialPort::Data8) &&
        port_.setStopBits(QSerialPort::OneStop) && port_.setFlowControl(QSerialPort::NoFlowControl);
    // Parity is refused by pseudo-terminals, which have none to set.
    port_.setParity(QSerialPort::NoParity);
    if (!configured) {
        const QString reason = port_.errorString();
        port_.close();
        throw ChannelError(
            QStringLiteral("Cannot set 9600,N,8,1 on %1: %2").arg(device, reason).toStdString());
    }
}

void SerialChannel::Close() {
    watchingErrors_ = false;
    if (port_.isOpen()) port_.close();
}

std::int32_t SerialChannel::DeviceHandle() const {
    return port_.isOpen() ? static_cast<std::int32_t>(port_.handle()) : -1;
}

void SerialChannel::Write(std::span<const std::uint8_t> bytes) {
    // A device that went away is closed already; the link will be declared
    // lost by supervision, so nothing is reported here.
    if (!port_.isOpen()) return;
    port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

bool SerialChannel::HasUnsentBytes() const {
    return port_.isOpen() && port_.bytesToWrite() > 0;
}

void SerialChannel::OnReadyRead() {
    const qint64 arrival = SteadyMicros();
    const QByteArray bytes = port_.readAll();
    if (!bytes.isEmpty()) emit bytesReceived(bytes, arrival);
}

void SerialChannel::OnErrorOccurred(QSerialPort::SerialPortError error) {
    if (!watchingErrors_ || closePending_ || !MeansDeviceGone(error)) return;
    // Some Qt versions repeat a read error endlessly while the port stays open:
    // close once, later, outside the failing read.
    closePending_ = true;
    QMetaObject::invokeMethod(this, &SerialChannel::CloseLostDevice, Qt::QueuedConnection);
}

void SerialChannel::CloseLostDevice() {
    if (!closePending_) return;
    closePending_ = false;
    watchingErrors_ = false;
    if (port_.isOpen()) port_.close();
    emit deviceLost();
}
