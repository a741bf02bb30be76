// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/sim/PtyClient.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

}  // namespace

PtyClient::PtyClient(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    termios settings{};
    ::tcgetattr(fd_, &settings);
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    settings.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd_, TCSANOW, &settings);
}

PtyClient::~PtyClient() {
    if (fd_ >= 0) ::close(fd_);
}

void PtyClient::discardInput() {
    ::tcflush(fd_, TCIFLUSH);
}

void PtyClient::write(const std::vector<std::uint8_t>& bytes) {
    [[maybe_unused]] const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
}

std::vector<std::uint8_t> PtyClient::read(std::size_t count, std::chrono::milliseconds timeout) {
    std::vector<std::uint8_t> bytes;
    const auto deadline = Clock::now() + timeout;
    while (bytes.size() < count) {
        pollfd fd = {fd_, POLLIN, 0};
        if (::poll(&fd, 1, remainingMs(deadline)) <= 0) break;
        std::uint8_t buffer[256];
        const std::size_t want = std::min(sizeof buffer, count - bytes.size());
        const ssize_t got = ::read(fd_, buffer, want);
        if (got <= 0) break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

std::optional<PtyClient::Frame> PtyClient::readFrame(std::chrono::milliseconds timeout) {
    const auto bytes = read(Frame().size(), timeout);
    if (bytes.size() != Frame().size()) return std::nullopt;
    Frame frame;
    std::copy(bytes.begin(), bytes.end(), frame.begin());
    return frame;
}

bool PtyClient::waitForHangUp(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        pollfd fd = {fd_, POLLIN, 0};
        if (::poll(&fd, 1, remainingMs(deadline)) <= 0) continue;
        if (fd.revents & (POLLHUP | POLLERR)) return true;
        std::uint8_t buffer[256];
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got == 0 || (got < 0 && errno == EIO)) return true;
    }
    return false;
}
