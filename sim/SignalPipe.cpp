// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/SignalPipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>

namespace {

volatile sig_atomic_t signalWriteFd = -1;

extern "C" void forwardSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t ignored = ::write(signalWriteFd, &byte, 1);
    errno = savedErrno;
}

void makeNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

}  // namespace

SignalPipe::SignalPipe(std::initializer_list<int> signals) {
    int fds[2];
    if (::pipe(fds) < 0) throw std::system_error(errno, std::generic_category(), "pipe");
    readFd_ = fds[0];
    writeFd_ = fds[1];
    makeNonBlocking(readFd_);
    makeNonBlocking(writeFd_);
    signalWriteFd = writeFd_;

    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : signals) ::sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

SignalPipe::~SignalPipe() {
    signalWriteFd = -1;
    ::close(readFd_);
    ::close(writeFd_);
}

int SignalPipe::takeSignal() {
    unsigned char byte = 0;
    return ::read(readFd_, &byte, 1) == 1 ? byte : 0;
}
