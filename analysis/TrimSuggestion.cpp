// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "analysis/TrimSuggestion.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPercent = 100.0;
}

TrimSuggestion SuggestFromTrims(const FuelTrims& gas, const FuelTrims& petrol,
                                std::int32_t fewestSamples) {
    TrimSuggestion suggestion;
    if (gas.samples < fewestSamples) return suggestion;
    suggestion.againstPetrol = petrol.samples >= fewestSamples;
    const double reference = suggestion.againstPetrol ? petrol.meanPercent : 0.0;
    suggestion.differencePercent = gas.meanPercent - reference;
    if (std::abs(suggestion.differencePercent) < TrimSuggestion::kBalancedPercent) {
        suggestion.kind = TrimSuggestion::Kind::Balanced;
        return suggestion;
    }
    const double steps =
        suggestion.differencePercent / kPercent * gas.meanGasUs / TrimSuggestion::kUsPerStep;
    const auto size = std::clamp<std::int32_t>(
        static_cast<std::int32_t>(std::lround(std::abs(steps))), 1, TrimSuggestion::kMostSteps);
    suggestion.kind = steps > 0 ? TrimSuggestion::Kind::Richer : TrimSuggestion::Kind::Leaner;
    suggestion.steps = steps > 0 ? size : -size;
    return suggestion;
}
