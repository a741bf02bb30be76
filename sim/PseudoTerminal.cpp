// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/PseudoTerminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <utility>

namespace {

constexpr std::size_t kReadChunk = 256;

[[noreturn]] void throwSystemError(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void check(int result, const char* what) {
    if (result < 0) throwSystemError(what);
}

// What a serial port set to 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control
// looks like; raw so that no byte is translated or echoed back.
void makeRawLine(int fd) {
    termios settings{};
    check(::tcgetattr(fd, &settings), "tcgetattr");
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(PARENB | CSTOPB | CSIZE | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    check(::cfsetispeed(&settings, B9600), "cfsetispeed");
    check(::cfsetospeed(&settings, B9600), "cfsetospeed");
    check(::tcsetattr(fd, TCSANOW, &settings), "tcsetattr");
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    check(master_, "posix_openpt");
    try {
        check(::fcntl(master_, F_SETFD, FD_CLOEXEC), "fcntl");
        check(::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK), "fcntl");
        check(::grantpt(master_), "grantpt");
        check(::unlockpt(master_), "unlockpt");
        const char* name = ::ptsname(master_);
        if (name == nullptr) throwSystemError("ptsname");
        slavePath_ = name;
        slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        check(slave_, "open slave");
        makeRawLine(slave_);
        // Packet mode tells the master when a client flushes its input (a port probe does
        // that before it listens).
        int on = 1;
        check(::ioctl(master_, TIOCPKT, &on), "TIOCPKT");
    } catch (...) {
        close();
        throw;
    }
}

PseudoTerminal::~PseudoTerminal() {
    close();
}

PseudoTerminal& PseudoTerminal::operator=(PseudoTerminal&& other) noexcept {
    if (this == &other) return *this;
    close();
    master_ = std::exchange(other.master_, -1);
    slave_ = std::exchange(other.slave_, -1);
    slavePath_ = std::move(other.slavePath_);
    return *this;
}

std::size_t PseudoTerminal::write(std::span<const std::uint8_t> bytes) {
    if (!isOpen()) return 0;
    ssize_t written;
    do {
        written = ::write(master_, bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    return written < 0 ? 0 : static_cast<std::size_t>(written);
}

PseudoTerminal::Input PseudoTerminal::read() {
    Input input;
    if (!isOpen()) {
        input.failed = true;
        return input;
    }
    // In packet mode each read starts with a status byte: 0 for data, else flush/flow flags.
    std::array<std::uint8_t, kReadChunk + 1> buffer;
    const ssize_t count = ::read(master_, buffer.data(), buffer.size());
    if (count < 0) {
        input.failed = errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
        return input;
    }
    if (count == 0) {
        input.failed = true;
        return input;
    }
    if (buffer[0] == TIOCPKT_DATA) {
        input.data.assign(buffer.begin() + 1, buffer.begin() + count);
    } else {
        input.clientFlushed = (buffer[0] & TIOCPKT_FLUSHREAD) != 0;
    }
    return input;
}

std::size_t PseudoTerminal::pendingForClient() const {
    int count = 0;
    if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &count) < 0) return 0;
    return static_cast<std::size_t>(count);
}

void PseudoTerminal::discardPendingForClient() {
    if (slave_ >= 0) ::tcflush(slave_, TCIFLUSH);
}

void PseudoTerminal::close() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = -1;
    master_ = -1;
}
