// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QSerialPort>

// What the error box adds to the reason when a port that exists cannot be
// opened. Qt reports PermissionError for a port merely held by another program
// too (its lock file, or an exclusive open), so only the user's own access to
// the device tells whether joining the dialout group would help.
enum class OpenFailureHint { None, JoinDialout, InUse };

OpenFailureHint HintForOpenFailure(QSerialPort::SerialPortError error, bool userMayReadWrite);

// Whether the user running the program may read and write the device.
bool UserMayReadWrite(const QString& device);
