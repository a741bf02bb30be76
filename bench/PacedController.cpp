// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "bench/PacedController.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>

#include "link/CommandFrames.h"

namespace {
constexpr std::size_t kFrameSize = 6;
// Ten bits a byte (start, eight data, stop) at 9600 baud.
constexpr auto kByteLineTime = std::chrono::nanoseconds(10 * 1'000'000'000LL / 9600);
constexpr auto kFrameLineTime = kByteLineTime * kFrameSize;
constexpr std::uint16_t kLambdaRaw = 0x5A00;
}  // namespace

PacedController::PacedController(int masterFd, const Params& params, std::chrono::microseconds gap)
    : master_(masterFd), gapUs_(gap.count()), params_(params) {
    thread_ = std::thread([this] { Run(); });
}

PacedController::~PacedController() {
    stop_.store(true);
    thread_.join();
}

PacedController::Params PacedController::CurrentParams() const {
    std::lock_guard lock(mutex_);
    return params_;
}

std::vector<PacedController::Arrival> PacedController::ArrivalsSince(
    Clock::time_point since) const {
    std::lock_guard lock(mutex_);
    std::vector<Arrival> found;
    for (const Arrival& arrival : arrivals_) {
        if (arrival.at >= since) found.push_back(arrival);
    }
    return found;
}

PacedController::Frame PacedController::SetFrame(int index, int value) {
    return BuildCommandFrame(index, value);
}

// Absolute deadlines, so a late wake-up is made up at the next bytes; after a
// stall past the next deadline the schedule restarts instead of bursting.
void PacedController::Run() {
    auto next = Clock::now();
    while (!stop_.load()) {
        const auto now = Clock::now();
        if (now >= next) {
            next = SendDue(next);
            if (next < now) next = now;
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(next - now);
        const timespec timeout{static_cast<time_t>(left.count() / 1'000'000'000),
                               static_cast<long>(left.count() % 1'000'000'000)};
        pollfd fd{master_, POLLIN, 0};
        if (ppoll(&fd, 1, &timeout, nullptr) > 0 && (fd.revents & POLLIN) != 0) ReadCommands();
    }
}

PacedController::Clock::time_point PacedController::SendDue(Clock::time_point due) {
    const auto gap = std::chrono::microseconds(gapUs_.load());
    if (bytesOut_ == 0) {
        frame_ = NextTelemetryFrame();
        byteByByte_ = delivery_.load() == Delivery::BytesAtLinePace;
        // Before the first byte goes out: the window may show the frame the
        // moment its last byte is written.
        lastPetrol_.store(static_cast<std::uint16_t>((frame_[1] << 8) | frame_[2]));
    }
    if (!byteByByte_) {
        Write(frame_.data(), frame_.size());
        return due + kFrameLineTime + gap;
    }
    Write(&frame_[bytesOut_], 1);
    if (++bytesOut_ < kFrameSize) return due + kByteLineTime;
    bytesOut_ = 0;
    framesSent_.fetch_add(1);
    return due + kByteLineTime + gap;
}

PacedController::Frame PacedController::NextTelemetryFrame() {
    const int index = nextIndex_;
    nextIndex_ = (nextIndex_ + 1) % 16;
    const auto petrol = static_cast<std::uint16_t>((lastPetrol_.load() + 1) % kPetrolSteps);
    std::uint8_t echo = 0;
    {
        std::lock_guard lock(mutex_);
        echo = params_[index];
    }
    return {static_cast<std::uint8_t>(index),
            static_cast<std::uint8_t>(petrol >> 8),
            static_cast<std::uint8_t>(petrol & 0xFF),
            static_cast<std::uint8_t>(kLambdaRaw >> 8),
            static_cast<std::uint8_t>(kLambdaRaw & 0xFF),
            echo};
}

// A whole frame counts as sent once written.
void PacedController::Write(const std::uint8_t* bytes, std::size_t count) {
    if (write(master_, bytes, count) != static_cast<ssize_t>(count)) return;
    if (count == kFrameSize) framesSent_.fetch_add(1);
}

void PacedController::ReadCommands() {
    const auto at = Clock::now();
    std::uint8_t buffer[256];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) return;
    pending_.insert(pending_.end(), buffer, buffer + n);
    TakeCommandFrames(at);
}

// Skips to a start byte, then takes whole frames; a set-parameter frame with a
// good checksum is applied as the controller would.
void PacedController::TakeCommandFrames(Clock::time_point at) {
    while (true) {
        const auto start = std::find(pending_.begin(), pending_.end(), kCommandStart);
        pending_.erase(pending_.begin(), start);
        if (pending_.size() < kFrameSize) return;
        Frame frame{};
        std::copy_n(pending_.begin(), kFrameSize, frame.begin());
        pending_.erase(pending_.begin(), pending_.begin() + kFrameSize);
        std::lock_guard lock(mutex_);
        arrivals_.push_back({at, frame});
        if (frame[1] == kSetParameterCode && frame[3] < 16 && FrameChecksum(frame) == frame[5]) {
            params_[frame[3]] = frame[4];
        }
    }
}
