// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/Telemetry.h"

namespace {
constexpr std::int32_t kStepsPerCell = 256;
constexpr std::int32_t kUsPerPetrolUnit = 4;
// A cell spans 256 petrol units of 4 us.
constexpr std::int32_t kCellWidthUs = kStepsPerCell * kUsPerPetrolUnit;
constexpr std::int32_t kUsPerStep = 14;
}  // namespace

FrameResult ApplyTelemetryFrame(LinkState& state, const TelemetryFrame& frame) {
    const int index = frame[0];
    if (index > kHighestIndex) return FrameResult::Ignored;
    state.lambdaRaw = frame[3] * 256 + frame[4];
    state.cellIndex = frame[1] & 0x0F;
    state.silenceTicks = 0;
    state.petrolRaw = frame[1] * 256 + frame[2];
    const auto bit = static_cast<std::uint16_t>(1u << index);
    const bool repeated = (state.receivedMask & bit) != 0 && state.deviceParams[index] == frame[5];
    state.confirmedMask = static_cast<std::uint16_t>(repeated ? state.confirmedMask | bit
                                                              : state.confirmedMask & ~bit);
    state.deviceParams[index] = frame[5];
    state.unechoedMask = static_cast<std::uint16_t>(state.unechoedMask & ~bit);
    state.receivedMask = static_cast<std::uint16_t>(state.receivedMask | bit);
    return state.receivedMask == kAllIndicesSeen ? FrameResult::Complete : FrameResult::Stored;
}

std::int32_t ComputeGasTime(std::int32_t cellIndex, std::int32_t petrolRaw,
                            const std::array<std::uint8_t, 17>& deviceParams) {
    const std::int32_t here = deviceParams[cellIndex];
    const std::int32_t next = deviceParams[cellIndex + 1];
    const std::int32_t step = petrolRaw % kStepsPerCell;
    // C++ division truncates toward zero, as the controller's own arithmetic does.
    return cellIndex * kCellWidthUs + kUsPerStep * here +
           ((kUsPerStep * (next - here) + kCellWidthUs) * step) / kStepsPerCell;
}
