// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/Mode01Pids.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr std::uint8_t kLoadPid = 0x04;
constexpr std::uint8_t kCoolantPid = 0x05;
constexpr std::uint8_t kLongTrimPid = 0x07;
constexpr std::uint8_t kRpmPid = 0x0C;
constexpr std::array<std::uint8_t, 5> kAnsweredPids = {kLoadPid, kCoolantPid, kShortTrimPid,
                                                       kLongTrimPid, kRpmPid};

constexpr long kByteMax = 255;
constexpr long kWordMax = 65535;
constexpr int kBitsInBitmap = 32;
constexpr double kFullLoadByte = 255.0 / 100;
constexpr int kCoolantOffset = 40;
constexpr double kZeroTrim = 100;
constexpr double kRpmUnitsPerRpm = 4;

std::uint8_t clampedByte(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, kByteMax));
}

// Bit 31 of the four bytes is PID 01, bit 0 PID 20.
std::vector<std::uint8_t> supportedBitmap() {
    std::uint32_t bits = 0;
    for (std::uint8_t pid : kAnsweredPids) bits |= 1U << (kBitsInBitmap - pid);
    return {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)};
}

std::vector<std::uint8_t> rpmBytes(double rpm) {
    const long units = std::clamp(std::lround(rpm * kRpmUnitsPerRpm), 0L, kWordMax);
    return {static_cast<std::uint8_t>(units >> 8), static_cast<std::uint8_t>(units & kByteMax)};
}

}  // namespace

std::uint8_t TrimByte(double percent) {
    return clampedByte((percent + kZeroTrim) / kTrimPercentPerStep);
}

std::optional<std::vector<std::uint8_t>> Mode01Data(std::uint8_t pid, const EcuReadings& readings) {
    switch (pid) {
        case kSupportedPidsPid:
            return supportedBitmap();
        case kLoadPid:
            return std::vector{clampedByte(readings.loadPercent * kFullLoadByte)};
        case kCoolantPid:
            return std::vector{clampedByte(readings.coolantCelsius + kCoolantOffset)};
        case kShortTrimPid:
            return std::vector{TrimByte(readings.shortTrimPercent)};
        case kLongTrimPid:
            return std::vector{TrimByte(readings.longTrimPercent)};
        case kRpmPid:
            return rpmBytes(readings.rpm);
        default:
            return std::nullopt;
    }
}
