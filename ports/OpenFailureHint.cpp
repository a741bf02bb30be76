// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/OpenFailureHint.h"

#include <QFileInfo>

OpenFailureHint HintForOpenFailure(QSerialPort::SerialPortError error, bool userMayReadWrite) {
    if (error != QSerialPort::PermissionError) return OpenFailureHint::None;
    return userMayReadWrite ? OpenFailureHint::InUse : OpenFailureHint::JoinDialout;
}

// Qt asks the system (access(2) on Unix), so groups and root count as they do
// for the open itself.
bool UserMayReadWrite(const QString& device) {
    const QFileInfo file(device);
    return file.isReadable() && file.isWritable();
}
