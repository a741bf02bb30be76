#include "LiveValues.h"

#include <algorithm>
#include <cstdio>

#include "ControlIds.h"
#include "Telemetry.h"

namespace {
constexpr std::int32_t kLowBandEnd = 16383;  // 16383 is already the middle band
constexpr std::int32_t kHighBandStart = 49152;
constexpr std::int32_t kLambdaFullScale = 65535;
constexpr std::int32_t kUsPerPetrolUnit = 4;
}  // namespace

std::uint8_t LambdaBandOf(std::int32_t lambdaRaw) {
    if (lambdaRaw < kLowBandEnd) return kBandLow;
    if (lambdaRaw >= kHighBandStart) return kBandHigh;
    return kBandMiddle;
}

Colour LambdaBandColour(std::uint8_t band) {
    switch (band) {
        case kBandLow:
            return kLambdaLow;
        case kBandHigh:
            return kLambdaHigh;
        default:
            return kLambdaMiddle;
    }
}

static std::string FormatWholeAndThousandths(std::int32_t whole, std::int32_t thousandths) {
    char text[32];
    std::snprintf(text, sizeof text, "%d,%03d", whole, thousandths);
    return text;
}

std::string FormatMilliseconds(std::int32_t microseconds) {
    return FormatWholeAndThousandths(microseconds / 1000, microseconds % 1000);
}

std::string FormatLambdaVolts(std::int32_t lambdaRaw) {
    const std::int32_t volts = (lambdaRaw * 5) / kLambdaFullScale;
    const std::int32_t millivolts = ((lambdaRaw * 5000) / kLambdaFullScale) % 1000;
    return FormatWholeAndThousandths(volts, millivolts).substr(0, 4);
}

void ShowLiveValues(LinkState& state, WindowOps& window) {
    window.SetControlText(ControlId::kPetrolReadout,
                          FormatMilliseconds(state.petrolRaw * kUsPerPetrolUnit));
    window.SetBarPosition(ControlId::kPetrolBar, std::min(state.petrolRaw, kPetrolBarMax));

    state.gasTimeUs = ComputeGasTime(state.cellIndex, state.petrolRaw, state.deviceParams);
    window.SetControlText(ControlId::kGasReadout, FormatMilliseconds(state.gasTimeUs));
    window.SetBarPosition(ControlId::kGasBar, std::min(state.gasTimeUs, kGasBarMax));

    const std::uint8_t band = LambdaBandOf(state.lambdaRaw);
    if (band != state.lambdaBand) {
        state.lambdaBand = band;
        window.SetBarColour(ControlId::kLambdaBar, LambdaBandColour(band));
    }
    window.SetControlText(ControlId::kLambdaReadout, FormatLambdaVolts(state.lambdaRaw));
    window.SetBarPosition(ControlId::kLambdaBar, state.lambdaRaw >> 8);

    ShowCellMarker(state, window);
}

void ShowCellMarker(const LinkState& state, WindowOps& window) {
    if (state.cellIndex < 0 || state.cellIndex >= kParamCount) return;
    for (int k = 0; k < kParamCount; ++k) {
        window.SetControlVisible(ControlId::CellMarker(k), k == state.cellIndex);
    }
}
