// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/robust/ByteRelay.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <array>

namespace {
constexpr std::size_t kChunk = 4096;

void MakeNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

void MakeRaw(int fd) {
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);
}

std::size_t WriteWhatFits(int fd, const std::uint8_t* bytes, std::size_t count) {
    const ssize_t written = write(fd, bytes, count);
    return written > 0 ? static_cast<std::size_t>(written) : 0;
}
}  // namespace

ByteRelay::ByteRelay(const std::string& controllerPath) {
    controller_ = open(controllerPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (controller_ < 0 || pipe2(stopPipe_, O_CLOEXEC) != 0) return;
    MakeRaw(controller_);
    MakeNonBlocking(window_.MasterFd());
    thread_ = std::thread([this] { Run(); });
}

ByteRelay::~ByteRelay() {
    if (thread_.joinable()) {
        const char stop = 0;
        (void)!write(stopPipe_[1], &stop, 1);
        thread_.join();
    }
    for (const int fd : {controller_, stopPipe_[0], stopPipe_[1]}) {
        if (fd >= 0) close(fd);
    }
}

std::vector<std::uint8_t> ByteRelay::ForwardedFrom(std::size_t offset) const {
    std::lock_guard lock(mutex_);
    if (offset >= forwarded_.size()) return {};
    return {forwarded_.begin() + static_cast<std::ptrdiff_t>(offset), forwarded_.end()};
}

std::size_t ByteRelay::ForwardedCount() const {
    std::lock_guard lock(mutex_);
    return forwarded_.size();
}

void ByteRelay::Run() {
    while (true) {
        std::array<pollfd, 3> fds = {{
            {stopPipe_[0], POLLIN, 0},
            {controllerOpen_ ? controller_ : -1, POLLIN, 0},
            {window_.MasterFd(), POLLIN, 0},
        }};
        if (poll(fds.data(), fds.size(), -1) < 0) continue;
        if (fds[0].revents != 0) return;
        if (fds[1].revents & POLLIN) {
            ForwardToWindow();
        } else if (fds[1].revents != 0) {
            controllerOpen_ = false;  // the controller went away
        }
        if (fds[2].revents & POLLIN) ForwardToController();
    }
}

// The copy is made before the bytes can reach the window, and what did not
// fit is taken out again under the same lock, so a reader never sees a byte
// the window could not have read.
void ByteRelay::ForwardToWindow() {
    std::array<std::uint8_t, kChunk> buffer;
    const ssize_t count = read(controller_, buffer.data(), buffer.size());
    if (count <= 0) return;
    const auto size = static_cast<std::size_t>(count);
    std::lock_guard lock(mutex_);
    const std::size_t start = forwarded_.size();
    forwarded_.insert(forwarded_.end(), buffer.begin(), buffer.begin() + count);
    const std::size_t written = WriteWhatFits(window_.MasterFd(), buffer.data(), size);
    forwarded_.resize(start + written);
}

void ByteRelay::ForwardToController() {
    std::array<std::uint8_t, kChunk> buffer;
    const ssize_t count = read(window_.MasterFd(), buffer.data(), buffer.size());
    if (count > 0) WriteWhatFits(controller_, buffer.data(), static_cast<std::size_t>(count));
}
