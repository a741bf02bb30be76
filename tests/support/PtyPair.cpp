// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/support/PtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

PtyPair::PtyPair() {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    termios raw{};
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
    slavePath_ = name;
    // The test keeps its own slave descriptor open so the master never sees a
    // hang-up between two opens by the program under test.
}

PtyPair::~PtyPair() {
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
}

void PtyPair::Send(const std::vector<unsigned char>& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) throw std::runtime_error("write to pty master failed");
        done += static_cast<std::size_t>(n);
    }
}

std::vector<unsigned char> PtyPair::Receive(std::size_t count, int timeoutMs) const {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<unsigned char> bytes;
    while (bytes.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        pollfd fd{master_, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left)) <= 0) break;
        unsigned char buffer[256];
        const std::size_t want = std::min(sizeof buffer, count - bytes.size());
        const ssize_t n = read(master_, buffer, want);
        if (n <= 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

void PtyPair::HangUp() {
    if (slave_ >= 0) close(slave_);
    slave_ = -1;
    if (master_ >= 0) close(master_);
    master_ = -1;
}
