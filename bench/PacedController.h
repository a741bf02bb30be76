// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// The controller's side of a pseudo-terminal master, run from its own thread
// at line pace: a frame's six bytes, then their 6.25 ms on a 9600-baud line,
// then the gap. The six bytes go out at once, or one by one 1.04 ms apart as
// a UART that hands over every byte would deliver them. Frames cycle through the sixteen indices,
// each with a petrol time one step on from the last, so every frame that reaches the readout
// changes its text. Set-parameter frames from the program are applied (the
// echo follows in the telemetry) and kept with the time they arrived.
class PacedController {
public:
    using Clock = std::chrono::steady_clock;
    using Frame = std::array<std::uint8_t, 6>;
    using Params = std::array<std::uint8_t, 16>;

    enum class Delivery { WholeFrames, BytesAtLinePace };

    struct Arrival {
        Clock::time_point at;
        Frame frame;
    };

    PacedController(int masterFd, const Params& params, std::chrono::microseconds gap);
    ~PacedController();
    PacedController(const PacedController&) = delete;
    PacedController& operator=(const PacedController&) = delete;

    void SetGap(std::chrono::microseconds gap) { gapUs_.store(gap.count()); }
    // Takes effect at the next frame.
    void SetDelivery(Delivery delivery) { delivery_.store(delivery); }
    long FramesSent() const { return framesSent_.load(); }
    // The petrol value of the frame sent last; each frame's is one more,
    // modulo kPetrolSteps.
    std::uint16_t LastPetrol() const { return lastPetrol_.load(); }
    static constexpr std::uint16_t kPetrolSteps = 4096;
    Params CurrentParams() const;
    // The command frames that arrived at or after the given time, in order.
    std::vector<Arrival> ArrivalsSince(Clock::time_point since) const;

    static Frame SetFrame(int index, int value);

private:
    void Run();
    // Sends what is due and gives the time the next bytes are due.
    Clock::time_point SendDue(Clock::time_point due);
    Frame NextTelemetryFrame();
    void Write(const std::uint8_t* bytes, std::size_t count);
    void ReadCommands();
    void TakeCommandFrames(Clock::time_point at);

    int master_;
    std::atomic<long long> gapUs_{0};
    std::atomic<Delivery> delivery_{Delivery::WholeFrames};
    std::atomic<long> framesSent_{0};
    std::atomic<std::uint16_t> lastPetrol_{0};
    std::atomic<bool> stop_{false};
    int nextIndex_ = 0;
    Frame frame_{};
    std::size_t bytesOut_ = 0;
    bool byteByByte_ = false;
    std::vector<std::uint8_t> pending_;
    mutable std::mutex mutex_;
    Params params_;
    std::vector<Arrival> arrivals_;
    std::thread thread_;
};
