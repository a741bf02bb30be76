// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/LiveValues.h"

#include <algorithm>
#include <cstdio>

#include "link/Telemetry.h"

namespace {
constexpr std::int32_t kUsPerPetrolUnit = 4;
constexpr std::int32_t kThousand = 1'000;
constexpr std::int32_t kMillivoltsFullScale = 5'000;
}  // namespace

LambdaBand LambdaBandOf(std::int32_t lambdaRaw) {
    if (lambdaRaw < kLowBandEnd) return LambdaBand::Low;
    if (lambdaRaw >= kHighBandStart) return LambdaBand::High;
    return LambdaBand::Middle;
}

static std::string FormatWholeAndThousandths(std::int32_t whole, std::int32_t thousandths) {
    char text[32];
    std::snprintf(text, sizeof text, "%d,%03d", whole, thousandths);
    return text;
}

std::string FormatMilliseconds(std::int32_t microseconds) {
    return FormatWholeAndThousandths(microseconds / kThousand, microseconds % kThousand);
}

std::string FormatLambdaVolts(std::int32_t lambdaRaw) {
    const std::int32_t volts = (lambdaRaw * 5) / kLambdaFullScale;
    const std::int32_t millivolts =
        ((lambdaRaw * kMillivoltsFullScale) / kLambdaFullScale) % kThousand;
    return FormatWholeAndThousandths(volts, millivolts).substr(0, 4);
}

Readouts ReadoutsOf(const LinkState& state) {
    return ReadoutsOf(state.petrolRaw, state.gasTimeUs, state.lambdaRaw);
}

Readouts ReadoutsOf(std::int32_t petrolRaw, std::int32_t gasTimeUs, std::int32_t lambdaRaw) {
    Readouts readouts;
    readouts.petrolText = FormatMilliseconds(petrolRaw * kUsPerPetrolUnit);
    readouts.petrolBar = std::min(petrolRaw, kPetrolBarMax);
    readouts.gasText = FormatMilliseconds(gasTimeUs);
    readouts.gasBar = std::min(gasTimeUs, kGasBarMax);
    readouts.lambdaText = FormatLambdaVolts(lambdaRaw);
    readouts.lambdaBar = lambdaRaw >> 8;
    return readouts;
}

void ShowLiveValues(LinkState& state, WindowOps& window) {
    state.gasTimeUs = ComputeGasTime(state.cellIndex, state.petrolRaw, state.deviceParams);
    // The bar's colour is set only when the band changes.
    const LambdaBand band = LambdaBandOf(state.lambdaRaw);
    if (band != state.lambdaBand) {
        state.lambdaBand = band;
        window.ShowLambdaBand(band);
    }
    window.ShowReadouts(ReadoutsOf(state));
    ShowCellMarker(state, window);
}

void ShowCellMarker(const LinkState& state, WindowOps& window) {
    if (state.cellIndex < 0 || state.cellIndex >= kParamCount) return;
    window.ShowCellMarker(state.cellIndex);
}
