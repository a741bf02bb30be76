// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/LinkHealth.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {
constexpr LinkHealth::Micros kUsPerSecond = 1'000'000;
}  // namespace

void LinkHealth::RecordRead(std::size_t bytes, std::span<const TelemetryFrame> frames,
                            Micros arrival) {
    if (bytes == 0) return;
    counts_.bytesRead += bytes;
    counts_.framesTaken += frames.size();
    if (!frames.empty()) CountFrames(frames.size(), arrival);
    bool fromAController = false;
    for (const TelemetryFrame& frame : frames) {
        CheckEcho(frame, arrival);
        fromAController = FromAController(frame) || fromAController;
    }
    if (fromAController) {
        unframedSince_.reset();
    } else if (!unframedSince_ || arrival - lastByteAt_ >= kQuietUs) {
        unframedSince_ = arrival;
    }
    lastByteAt_ = arrival;
}

void LinkHealth::RecordDiscarded(std::uint64_t bytes) {
    counts_.bytesDiscarded += bytes;
}

// The clock of an echo runs from the first frame with the value: what a
// resend costs shows in the latency too.
void LinkHealth::RecordParameterSent(int index, int value, Micros at) {
    if (index < 0 || index >= kParamCount) return;
    AwaitedEcho& echo = awaited_[static_cast<std::size_t>(index)];
    if (echo.awaited && echo.value == value) {
        ++counts_.resends;
        return;
    }
    echo = {true, value, at};
}

void LinkHealth::RecordLinkDown(bool lost) {
    if (lost) ++counts_.linkLosses;
    awaited_ = {};
}

void LinkHealth::CountFrames(std::size_t frames, Micros arrival) {
    const Micros second = arrival / kUsPerSecond;
    if (!firstSecond_) firstSecond_ = second;
    Second& slot = seconds_[static_cast<std::size_t>(second) % seconds_.size()];
    if (slot.second != second) slot = {second, 0};
    slot.frames += frames;
}

void LinkHealth::CheckEcho(const TelemetryFrame& frame, Micros arrival) {
    const int index = frame[0];
    if (index >= kParamCount) return;
    AwaitedEcho& echo = awaited_[static_cast<std::size_t>(index)];
    if (!echo.awaited || frame[5] != echo.value) return;
    echo.awaited = false;
    const Micros latency = arrival - echo.since;
    ++counts_.echoes;
    counts_.worstEchoUs = std::max(counts_.worstEchoUs.value_or(latency), latency);
    latencies_[nextLatency_] = latency;
    nextLatency_ = (nextLatency_ + 1) % latencies_.size();
    latencyCount_ = std::min(latencyCount_ + 1, latencies_.size());
}

bool LinkHealth::FromAController(const TelemetryFrame& frame) {
    if (frame[0] >= kParamCount) return false;
    Report& report = reports_[frame[0]];
    const bool alike = report.seen && report.value == frame[5];
    report = {true, frame[5], alike ? std::min(report.alike + 1, 2) : 0};
    return report.alike == 2;
}

// Of an even number, the mean of the two in the middle.
std::optional<LinkHealth::Micros> LinkHealth::MedianEcho() const {
    if (latencyCount_ == 0) return std::nullopt;
    std::array<Micros, kLatencySamples> sorted = latencies_;
    const auto end = sorted.begin() + static_cast<std::ptrdiff_t>(latencyCount_);
    std::sort(sorted.begin(), end);
    const std::size_t middle = latencyCount_ / 2;
    if (latencyCount_ % 2 == 1) return sorted[middle];
    return (sorted[middle - 1] + sorted[middle]) / 2;
}

LinkFigures LinkHealth::Figures(Micros now) const {
    LinkFigures figures = counts_;
    // Whole seconds only: not the one going on, nor the session's first,
    // which began with the first frame.
    const Micros thisSecond = now / kUsPerSecond;
    const Micros from = std::max(thisSecond - kRateSeconds, firstSecond_.value_or(thisSecond) + 1);
    std::uint64_t frames = 0;
    for (const Second& slot : seconds_) {
        if (slot.second >= from && slot.second < thisSecond) frames += slot.frames;
    }
    if (from < thisSecond) {
        figures.framesPerSecond =
            static_cast<double>(frames) / static_cast<double>(thisSecond - from);
    }
    figures.medianEchoUs = MedianEcho();
    if (unframedSince_ && now - lastByteAt_ < kQuietUs) {
        figures.unframedUs = lastByteAt_ - *unframedSince_;
    }
    return figures;
}

std::vector<LinkHint> HintsFor(const LinkFigures& figures, std::optional<int> latencyTimerMs,
                               ChannelFailure::Hint openFailure) {
    std::vector<LinkHint> hints;
    if (latencyTimerMs && *latencyTimerMs > LinkHealth::kHighestGoodLatencyMs) {
        hints.push_back(LinkHint::AdapterLatency);
    }
    if (figures.unframedUs >= LinkHealth::kUnframedHintUs) {
        hints.push_back(LinkHint::BytesWithoutFrames);
    }
    if (openFailure == ChannelFailure::Hint::InUse) hints.push_back(LinkHint::PortBusy);
    if (openFailure == ChannelFailure::Hint::JoinDialout) hints.push_back(LinkHint::PortDenied);
    return hints;
}

// The device may be a link (a COM name in the port folder): the adapter is
// that of the tty it names.
std::optional<int> ReadLatencyTimerMs(const std::string& device, const std::string& sysRoot) {
    namespace fs = std::filesystem;
    if (device.empty()) return std::nullopt;
    std::error_code error;
    const fs::path resolved = fs::canonical(device, error);
    const std::string name = (error ? fs::path(device) : resolved).filename().string();
    if (name.empty()) return std::nullopt;
    std::ifstream file(fs::path(sysRoot) / "class" / "tty" / name / "device" / "latency_timer");
    int milliseconds = 0;
    if (!(file >> milliseconds) || milliseconds < 0) return std::nullopt;
    return milliseconds;
}
