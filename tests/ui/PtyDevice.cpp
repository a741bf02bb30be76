// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/ui/PtyDevice.h"

#include <poll.h>
#include <unistd.h>

namespace {
constexpr std::uint8_t kCommandStart = 0xAB;
constexpr std::uint8_t kSetCode = 0x01;

std::uint8_t Checksum(const PtyDevice::Frame& frame) {
    unsigned sum = 0;
    for (int i = 0; i < 5; ++i) sum += frame[i];
    return static_cast<std::uint8_t>(sum);
}
}  // namespace

PtyDevice::PtyDevice(PtyPair& pty) : pty_(pty), notifier_(pty.MasterFd(), QSocketNotifier::Read) {
    clock.start();
    connect(&timer_, &QTimer::timeout, this, &PtyDevice::SendNextFrame);
    connect(&notifier_, &QSocketNotifier::activated, this, &PtyDevice::ReadCommands);
}

PtyDevice::Frame PtyDevice::SetFrame(int index, int value) {
    Frame frame{kCommandStart,
                kSetCode,
                0x00,
                static_cast<std::uint8_t>(index),
                static_cast<std::uint8_t>(value),
                0};
    frame[5] = Checksum(frame);
    return frame;
}

void PtyDevice::StartTalking(int periodMs) {
    timer_.start(periodMs);
}

void PtyDevice::StopTalking() {
    timer_.stop();
}

void PtyDevice::SendNextFrame() {
    const int index = nextIndex_;
    nextIndex_ = (nextIndex_ + 1) % 16;
    pty_.Send({static_cast<unsigned char>(index), static_cast<unsigned char>(petrolRaw >> 8),
               static_cast<unsigned char>(petrolRaw & 0xFF),
               static_cast<unsigned char>(lambdaRaw >> 8),
               static_cast<unsigned char>(lambdaRaw & 0xFF), params[index]});
}

void PtyDevice::ReadCommands() {
    pollfd fd{pty_.MasterFd(), POLLIN, 0};
    while (poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN) != 0) {
        std::uint8_t buffer[256];
        const ssize_t n = read(pty_.MasterFd(), buffer, sizeof buffer);
        if (n <= 0) break;
        pending_.insert(pending_.end(), buffer, buffer + n);
    }
    while (pending_.size() >= 6) {
        if (pending_.front() != kCommandStart) {
            pending_.erase(pending_.begin());
            continue;
        }
        Frame frame{};
        std::copy_n(pending_.begin(), 6, frame.begin());
        pending_.erase(pending_.begin(), pending_.begin() + 6);
        received.push_back(frame);
        receivedAt.push_back(clock.elapsed());
        if (applyCommands && frame[1] == kSetCode && frame[5] == Checksum(frame) && frame[3] < 16) {
            params[frame[3]] = frame[4];
        }
    }
}
