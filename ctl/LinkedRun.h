// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QString>
#include <QTextStream>
#include <functional>
#include <memory>
#include <optional>

#include "app/ExitSignals.h"
#include "ctl/CommandLine.h"
#include "session/CalibrationSession.h"

// A calibration session run from the command line: the same session and link
// as the window's, linked on the port asked for (or by the window's search),
// with Ctrl+C and SIGTERM noted rather than ending the process, so that a
// command can end after a whole frame and say what it did. Messages go to the
// error stream prefixed with the tool's name.
class LinkedRun {
public:
    LinkedRun(const CtlCommand& command, QTextStream& out, QTextStream& err);
    ~LinkedRun();

    CalibrationSession& Session() { return *session_; }
    QTextStream& Out() { return out_; }
    // "dx470ctl: text" on the error stream.
    void Say(const QString& text);

    // Links: 0 once the controller's values are confirmed, else the exit
    // code, with the reason said.
    int Link();
    // Runs the event loop until done() holds (true), the time is up or the
    // tool is interrupted (false).
    bool WaitFor(const std::function<bool()>& done, int timeoutMs);
    bool Interrupted() const { return interrupted_; }
    // No frame is begun after this; those begun are written whole, then the
    // port is closed.
    void StopSending();
    // The port a link came up on, "COM3".
    QString PortName() const;

private:
    const CtlCommand& command_;
    QTextStream& out_;
    QTextStream& err_;
    std::unique_ptr<CalibrationSession> session_;
    ExitSignals signals_;
    bool interrupted_ = false;
    bool opened_ = false;
    std::optional<QString> failure_;
};
