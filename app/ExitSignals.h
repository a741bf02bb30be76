// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

// SIGTERM, SIGINT and SIGHUP end the program the way the Exit button does, so
// the serial port is closed and its lock file removed. The signal handler only
// writes a byte to a socket; the window's thread reads it through a notifier
// and runs onSignal there. The default actions come back when this goes.
class ExitSignals {
public:
    explicit ExitSignals(std::function<void()> onSignal);
    ~ExitSignals();
    ExitSignals(const ExitSignals&) = delete;
    ExitSignals& operator=(const ExitSignals&) = delete;

private:
    void OnReadable();

    std::function<void()> onSignal_;
    int sockets_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};
