// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>
#include <functional>

#include "link/CommChannel.h"
#include "ports/core/PortNames.h"

// The window's serial line to the controller: 9600 baud, 8N1, no flow control.
// Hands every byte on as it arrives, with the time it was read, so the frame
// boundaries can be found from the bytes and the pauses between them. A
// device that goes away while open closes the channel by itself. Once the
// frames are known from their content, what arrived is handed on once per
// screen refresh instead, so a stream sent byte by byte does not wake the
// window for every byte. QSerialPort stops reading the device while its
// buffer is full, so the port then keeps at most one byte: where descriptors
// can be read directly, a byte of the channel's own that is never handed on,
// and the batch is read from the descriptor; elsewhere the first byte that
// comes, and the batch is read through the port.
class SerialChannel : public QObject, public CommChannel {
    Q_OBJECT

public:
    // Whether one of the window's own search workers holds a device just now.
    using HeldBySearch = std::function<bool(const QString& device)>;

    explicit SerialChannel(PortResolver resolver = ResolvePortName, HeldBySearch heldBySearch = {},
                           QObject* parent = nullptr);
    ~SerialChannel() override;

    void SetPortNumber(std::int16_t port) override;
    bool IsOpen() const override;
    // A port that does not exist leaves the channel closed (handle -1); one that
    // exists but cannot be taken raises ChannelError naming device and reason.
    void Open() override;
    void Close() override;
    std::int32_t DeviceHandle() const override;
    // The bytes are handed to the device at once; false when the port is
    // closed, its device has gone, or the device refused them.
    bool Write(std::span<const std::uint8_t> bytes) override;
    void SetBatchedReads(bool batched) override;
    // Whether batches are read from the port's descriptor (the default where
    // the system allows it) or through QSerialPort; taken when batching starts.
    void SetDescriptorReads(bool descriptorReads);
    // Written bytes that have not yet gone to the device.
    bool HasUnsentBytes() const;

    std::int16_t PortNumber() const { return portNumber_; }
    // The device last opened, as resolved from its COM name.
    QString DevicePath() const { return device_; }

signals:
    // A port was opened at this time (steady clock, microseconds): a new
    // stream of bytes begins.
    void opened(qint64 atMicros);
    // Bytes that were waiting, read together at this time.
    void bytesReceived(const QByteArray& bytes, qint64 arrivalMicros);
    // The device went away while open; the channel has closed itself.
    void deviceLost();

private:
    void OnReadyRead();
    void OnErrorOccurred(QSerialPort::SerialPortError error);
    void CloseLostDevice();
    void Configure(const QString& device);
    void ApplyReadMode();
    void ReadBatch();
    void ReadBatchThroughPort();
    void StopBatching();
    void ReleasePlaceholder();
    void CloseLater();

    PortResolver resolver_;
    HeldBySearch heldBySearch_;
    QSerialPort port_;
    QString device_;
    std::int16_t portNumber_ = 0;
    QTimer batchTimer_;
    bool batchWanted_ = false;
    bool batched_ = false;
    bool descriptorReads_;
    // The channel's own byte fills the port's buffer while batches are read
    // from the descriptor.
    bool placeholderHeld_ = false;
    bool watchingErrors_ = false;
    bool closePending_ = false;
};
