// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/SerialChannel.h"

#include <QFileInfo>
#include <QSignalBlocker>
#include <chrono>

#include "link/TickCount.h"
#include "ports/DescriptorReads.h"
#include "ports/DeviceGone.h"
#include "ports/OpenFailureHint.h"

namespace {
// One picture of a 60 Hz screen (16.7 ms), in the timer's whole
// milliseconds: batched bytes reach the window no later than a screen could
// show them, and the window paints them as they come.
constexpr std::chrono::milliseconds kBatchPeriod{17};
// While batched the port keeps one byte: QSerialPort stops reading the device
// when a byte finds its buffer full, and the rest wait in the driver until the
// batch is read.
constexpr qint64 kBytesHeldWhileBatched = 1;
constexpr qint64 kNoReadLimit = 0;
// The byte that fills the port's buffer while batches are read from the
// descriptor; never handed on.
constexpr char kPlaceholder = 0;

ChannelFailure::Hint HintOf(OpenFailureHint hint) {
    switch (hint) {
        case OpenFailureHint::JoinDialout:
            return ChannelFailure::Hint::JoinDialout;
        case OpenFailureHint::InUse:
            return ChannelFailure::Hint::InUse;
        case OpenFailureHint::None:
            break;
    }
    return ChannelFailure::Hint::None;
}

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

ChannelError OpenFailure(const QString& device, const QSerialPort& port) {
    const OpenFailureHint hint = HintForOpenFailure(port.error(), UserMayReadWrite(device));
    const QString text =
        QStringLiteral("Cannot open %1: %2").arg(device, port.errorString()) + HintText(hint);
    return ChannelError({ChannelFailure::Kind::CannotOpen, device.toStdString(),
                         port.errorString().toStdString(), HintOf(hint)},
                        text.toStdString());
}
}  // namespace

SerialChannel::SerialChannel(PortResolver resolver, HeldBySearch heldBySearch, QObject* parent)
    : QObject(parent),
      resolver_(std::move(resolver)),
      heldBySearch_(std::move(heldBySearch)),
      descriptorReads_(DescriptorReadsAvailable()) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialChannel::OnReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialChannel::OnErrorOccurred);
    batchTimer_.setInterval(kBatchPeriod);
    batchTimer_.setTimerType(Qt::PreciseTimer);
    connect(&batchTimer_, &QTimer::timeout, this, &SerialChannel::ReadBatch);
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
    if (port_.isOpen()) {
        throw ChannelError({ChannelFailure::Kind::AlreadyOpen, device_.toStdString(), {}},
                           "The port is already open.");
    }
    const QString device = QString::fromStdString(resolver_(portNumber_));
    if (device.isEmpty() || !QFileInfo::exists(device)) return;
    StopBatching();
    port_.setPortName(device);
    device_ = device;
    watchingErrors_ = false;
    closePending_ = false;
    if (!port_.open(QIODevice::ReadWrite)) {
        // Held for a moment by one of our own search workers, which found
        // (or is about to find) the controller there: its find opens the port
        // again. Nothing to report, the channel stays closed.
        if (heldBySearch_ && heldBySearch_(device)) return;
        throw OpenFailure(device, port_);
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
            {ChannelFailure::Kind::CannotConfigure, device.toStdString(), reason.toStdString()},
            QStringLiteral("Cannot set 9600,N,8,1 on %1: %2").arg(device, reason).toStdString());
    }
}

void SerialChannel::Close() {
    StopBatching();
    watchingErrors_ = false;
    if (port_.isOpen()) port_.close();
}

std::int32_t SerialChannel::DeviceHandle() const {
    return port_.isOpen() ? static_cast<std::int32_t>(port_.handle()) : -1;
}

// Flushed at once rather than when the event loop next runs, so that a
// device that has gone shows here and the frame is not taken for sent. Bytes
// the device cannot take yet stay queued and go out as it takes them.
bool SerialChannel::Write(std::span<const std::uint8_t> bytes) {
    if (!port_.isOpen() || closePending_) return false;
    port_.clearError();
    const auto size = static_cast<qint64>(bytes.size());
    if (port_.write(reinterpret_cast<const char*>(bytes.data()), size) != size) return false;
    port_.flush();
    return !closePending_ && !MeansDeviceGone(port_.error());
}

bool SerialChannel::HasUnsentBytes() const {
    return port_.isOpen() && port_.bytesToWrite() > 0;
}

void SerialChannel::OnReadyRead() {
    if (batched_) {
        // Through the port: the held byte came, and the batch is read one
        // screen refresh later.
        if (!placeholderHeld_ && !batchTimer_.isActive()) batchTimer_.start();
        return;
    }
    const qint64 arrival = SteadyMicros();
    const QByteArray bytes = port_.readAll();
    if (!bytes.isEmpty()) emit bytesReceived(bytes, arrival);
}

void SerialChannel::OnErrorOccurred(QSerialPort::SerialPortError error) {
    if (MeansDeviceGone(error)) CloseLater();
}

// Some Qt versions repeat a read error endlessly while the port stays open:
// close once, later, outside the failing read.
void SerialChannel::CloseLater() {
    if (!watchingErrors_ || closePending_ || !port_.isOpen()) return;
    closePending_ = true;
    QMetaObject::invokeMethod(this, &SerialChannel::CloseLostDevice, Qt::QueuedConnection);
}

void SerialChannel::CloseLostDevice() {
    if (!closePending_) return;
    closePending_ = false;
    StopBatching();
    watchingErrors_ = false;
    if (port_.isOpen()) port_.close();
    emit deviceLost();
}

void SerialChannel::SetBatchedReads(bool batched) {
    if (batched == batchWanted_) return;
    batchWanted_ = batched;
    // Later, not from inside the port's own read handler, which calls this
    // through bytesReceived.
    QMetaObject::invokeMethod(this, &SerialChannel::ApplyReadMode, Qt::QueuedConnection);
}

void SerialChannel::SetDescriptorReads(bool descriptorReads) {
    descriptorReads_ = descriptorReads && DescriptorReadsAvailable();
}

// From the descriptor the port wakes the window once, when a byte finds its
// buffer full, and the batches follow the screen; through the port the first
// two bytes of each batch wake it, and the batch is read one refresh later.
void SerialChannel::ApplyReadMode() {
    const bool batched = batchWanted_ && port_.isOpen() && !closePending_;
    if (batched == batched_) return;
    if (batched) {
        // What the port holds already goes first, so that the one byte it
        // keeps from now on is a new one, or the channel's own.
        OnReadyRead();
        batched_ = true;
        port_.setReadBufferSize(kBytesHeldWhileBatched);
        placeholderHeld_ = descriptorReads_;
        if (placeholderHeld_) port_.ungetChar(kPlaceholder);
        batchTimer_.setSingleShot(!placeholderHeld_);
        if (placeholderHeld_) batchTimer_.start();
    } else {
        // A byte held for the next batch is handed on now, not with the next
        // byte that comes.
        batched_ = false;
        batchTimer_.stop();
        ReadBatch();
        ReleasePlaceholder();
    }
}

void SerialChannel::StopBatching() {
    batchTimer_.stop();
    batchWanted_ = false;
    batched_ = false;
    ReleasePlaceholder();
}

// Taken out of the buffer, where it was the only byte, before the port reads
// the device again.
void SerialChannel::ReleasePlaceholder() {
    if (placeholderHeld_ && port_.isOpen()) {
        char placeholder = 0;
        port_.getChar(&placeholder);
    }
    placeholderHeld_ = false;
    port_.setReadBufferSize(kNoReadLimit);
}

// Everything waiting, in one read time.
void SerialChannel::ReadBatch() {
    if (!port_.isOpen() || closePending_) return;
    if (!placeholderHeld_) {
        ReadBatchThroughPort();
        return;
    }
    const qint64 arrival = SteadyMicros();
    const WaitingBytes waiting = ReadWaitingBytes(port_.handle());
    if (!waiting.bytes.isEmpty()) emit bytesReceived(waiting.bytes, arrival);
    if (waiting.gone) CloseLater();
}

// The byte the port held, then what the driver kept meanwhile. The port's
// signals wait while it is read here: its readyRead would start another
// batch, and every read ends in a time-out. A device that went away shows as
// the port's error when the read ends.
void SerialChannel::ReadBatchThroughPort() {
    const qint64 arrival = SteadyMicros();
    QByteArray bytes;
    bool gone = false;
    {
        const QSignalBlocker quiet(port_);
        port_.clearError();
        port_.setReadBufferSize(kNoReadLimit);
        bytes = port_.readAll();
        while (port_.waitForReadyRead(0)) bytes += port_.readAll();
        gone = MeansDeviceGone(port_.error());
        if (batched_) port_.setReadBufferSize(kBytesHeldWhileBatched);
    }
    if (!bytes.isEmpty()) emit bytesReceived(bytes, arrival);
    if (gone) CloseLater();
}
