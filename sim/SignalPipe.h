// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <initializer_list>

// Turns SIGINT/SIGTERM/SIGHUP into bytes on a pipe, so the poll loop sees them like input
// and the program can clean up (remove its link) before it ends. One per process.
class SignalPipe {
public:
    // Throws std::system_error. Also ignores SIGPIPE, so a closed stdout reader is harmless.
    explicit SignalPipe(std::initializer_list<int> signals);
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    int readFd() const { return readFd_; }
    // The next signal received, or 0 if none is waiting.
    int takeSignal();

private:
    int readFd_ = -1;
    int writeFd_ = -1;
};
