// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ports/DescriptorReads.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#include <unistd.h>

#include <cerrno>

bool DescriptorReadsAvailable() {
    return true;
}

// A read of 0 means nothing more is waiting; a device that went away shows
// as a hang-up or a read error.
WaitingBytes ReadWaitingBytes(qintptr handle) {
    const int fd = static_cast<int>(handle);
    WaitingBytes waiting;
    char chunk[256];
    ssize_t n = 0;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) waiting.bytes.append(chunk, static_cast<qsizetype>(n));
    }
    const bool readFailed = n < 0 && errno != EAGAIN && errno != EWOULDBLOCK;
    pollfd watch{fd, POLLIN, 0};
    const bool hungUp = ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLHUP | POLLERR)) != 0;
    waiting.gone = readFailed || hungUp;
    return waiting;
}
#else
bool DescriptorReadsAvailable() {
    return false;
}

WaitingBytes ReadWaitingBytes(qintptr) {
    return {};
}
#endif
