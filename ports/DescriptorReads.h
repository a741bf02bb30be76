// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QByteArray>
#include <QtGlobal>

// A serial port's descriptor read directly, for batched reads: everything the
// driver holds, in one go and without waiting. Only where descriptors can be
// read so (POSIX); elsewhere the channel reads through QSerialPort alone.
struct WaitingBytes {
    QByteArray bytes;
    // The device hung up, or a read failed: the port is to be closed.
    bool gone = false;
};

bool DescriptorReadsAvailable();
// The descriptor must be non-blocking, as QSerialPort opens it.
WaitingBytes ReadWaitingBytes(qintptr handle);
