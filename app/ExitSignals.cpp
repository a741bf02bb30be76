// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "app/ExitSignals.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {
constexpr int kExitSignals[] = {SIGTERM, SIGINT, SIGHUP};
enum { kReadEnd, kWriteEnd };

volatile sig_atomic_t signalSocket = -1;

extern "C" void ForwardSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSocket, &byte, 1);
    errno = savedErrno;
}

void SetHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kExitSignals) ::sigaction(signal, &action, nullptr);
}
}  // namespace

ExitSignals::ExitSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, sockets_) != 0) {
        // Without the socket the signals keep their default actions.
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(sockets_[kReadEnd], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
    signalSocket = sockets_[kWriteEnd];
    SetHandler(ForwardSignal);
}

ExitSignals::~ExitSignals() {
    if (notifier_ == nullptr) return;
    SetHandler(SIG_DFL);
    signalSocket = -1;
    notifier_.reset();
    ::close(sockets_[kReadEnd]);
    ::close(sockets_[kWriteEnd]);
}

void ExitSignals::OnReadable() {
    char bytes[16];
    while (::read(sockets_[kReadEnd], bytes, sizeof bytes) > 0) {
    }
    onSignal_();
}
#else
// No such signals: the program ends through its window only.
ExitSignals::ExitSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {}
ExitSignals::~ExitSignals() = default;
void ExitSignals::OnReadable() {}
#endif
