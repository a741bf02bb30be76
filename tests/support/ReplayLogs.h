// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

#include "log/SessionRecord.h"

class CCalibDlg;

// Logs for the replay tests, written in a test's own folder, and a log
// played in the window.

// A frame of a log at this time, with readings of its own.
SessionFrame LogFrameAt(std::int64_t timeUs);
// A log of these frames; false when it cannot be written.
bool WriteLog(const QString& path, const std::vector<SessionFrame>& frames);
// A log of at least this many bytes of frames 16 ms apart, written fast
// enough for hundreds of megabytes in a test.
bool WriteLongLog(const QString& path, qint64 bytes);
// Starts the replay of a log and waits until it plays; false when it does
// not within the time (a box saying why would wait for an answer).
bool PlayLog(CCalibDlg& dlg, const QString& path, int timeoutMs = 10000);
