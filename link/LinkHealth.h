// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "domain/Calibration.h"
#include "link/CommChannel.h"
#include "link/Telemetry.h"

// The figures of the link's health at one moment, for a window or a terminal
// to print as they are. Times in microseconds.
struct LinkFigures {
    // Over the last whole seconds (LinkHealth::kRateSeconds, fewer at the
    // start of a session).
    double framesPerSecond = 0;
    std::uint64_t bytesRead = 0;
    std::uint64_t framesTaken = 0;
    // Bytes that no frame handed out took: read before a frame boundary was
    // known, or after one was given up.
    std::uint64_t bytesDiscarded = 0;
    // The link went down after it had been up, without the user choosing it.
    std::uint64_t linkLosses = 0;
    // A parameter frame sent again with the same value before its echo came.
    std::uint64_t resends = 0;
    // Parameter frames whose echo came, and how long it took from the first
    // frame sent with that value: median of the latest, worst of the session.
    std::uint64_t echoes = 0;
    std::optional<std::int64_t> medianEchoUs;
    std::optional<std::int64_t> worstEchoUs;
    // How long bytes have been coming without a controller's frame among
    // them: one whose index reports a value the third time alike, as a
    // controller's do all the time. Frames taken do not tell: the pauses of
    // other bytes cut them into frames too, which rarely name an index 0..15
    // and next to never thrice with one value. 0 while nothing comes.
    std::int64_t unframedUs = 0;
};

// What the figures point at.
enum class LinkHint {
    // The USB adapter holds received bytes back longer than 1 ms.
    AdapterLatency,
    // Bytes but no frames of a controller: another device, or not 9600 baud.
    BytesWithoutFrames,
    // The port could not be opened: another program holds it.
    PortBusy,
    // The port could not be opened: the user may not use serial ports.
    PortDenied,
};

// Counts how the link fares, fed by the ControllerLink where things happen;
// it only watches and never changes what the link does. Times are the
// callers' steady-clock microseconds.
class LinkHealth {
public:
    using Micros = std::int64_t;

    static constexpr int kRateSeconds = 5;
    static constexpr std::size_t kLatencySamples = 256;
    // Bytes this long without a controller's frames give the hint; a gap in
    // the bytes this long means nothing comes any more.
    static constexpr Micros kUnframedHintUs = 3'000'000;
    static constexpr Micros kQuietUs = 1'000'000;
    static constexpr int kHighestGoodLatencyMs = 1;

    // One read from the channel: its size and the frames it completed.
    void RecordRead(std::size_t bytes, std::span<const TelemetryFrame> frames, Micros arrival);
    // Bytes the frame reader has given up on.
    void RecordDiscarded(std::uint64_t bytes);
    // A set-parameter frame went out.
    void RecordParameterSent(int index, int value, Micros at);
    // The link went down; `lost` unless the user's command took it down. An
    // echo still awaited cannot come over it any more.
    void RecordLinkDown(bool lost);

    LinkFigures Figures(Micros now) const;

private:
    struct Second {
        Micros second = -1;
        std::uint64_t frames = 0;
    };
    struct Report {
        bool seen = false;
        std::uint8_t value = 0;
        int alike = 0;
    };
    struct AwaitedEcho {
        bool awaited = false;
        int value = 0;
        Micros since = 0;
    };

    void CountFrames(std::size_t frames, Micros arrival);
    void CheckEcho(const TelemetryFrame& frame, Micros arrival);
    bool FromAController(const TelemetryFrame& frame);
    std::optional<Micros> MedianEcho() const;

    LinkFigures counts_;
    // One more than the rate needs: the second going on is never counted.
    std::array<Second, kRateSeconds + 1> seconds_{};
    std::optional<Micros> firstSecond_;
    std::array<AwaitedEcho, kParamCount> awaited_{};
    std::array<Micros, kLatencySamples> latencies_{};
    std::size_t latencyCount_ = 0;
    std::size_t nextLatency_ = 0;
    std::array<Report, kParamCount> reports_{};
    std::optional<Micros> unframedSince_;
    Micros lastByteAt_ = 0;
};

// The hints the figures give, in the order of LinkHint: the adapter's latency
// timer (ms, none when unknown), and how the last port open failed.
std::vector<LinkHint> HintsFor(const LinkFigures& figures, std::optional<int> latencyTimerMs,
                               ChannelFailure::Hint openFailure);

// The latency timer of the USB serial adapter behind a tty device, in ms, as
// sysfs tells it under sysRoot; none for a device without one (a
// pseudo-terminal, a built-in port).
std::optional<int> ReadLatencyTimerMs(const std::string& device,
                                      const std::string& sysRoot = "/sys");
