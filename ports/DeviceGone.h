// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QSerialPort>

// Whether an error of a configured, open port means its device has gone (an
// adapter pulled out, a pseudo-terminal closed). Qt 6.4 reports most such
// losses as a read error, and repeats it endlessly while the port stays open,
// so every error but "none" and a time-out counts.
bool MeansDeviceGone(QSerialPort::SerialPortError error);
