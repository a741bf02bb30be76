// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "analysis/Suggestion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
// Lean and rich shares closer than this are a sensor switching about its
// point, as it does when the mixture is right.
constexpr double kEvenShare = 0.1;
// Steps for readings that are all lean (or all rich), before the cap.
constexpr double kStepsForOneSided = 10.0;
}  // namespace

Suggestion SuggestFrom(const MixtureCounts& counted, bool sensorSwitching,
                       const SuggestionRules& rules) {
    const std::int32_t total = counted.Total();
    if (total < rules.fewestSamples || total == 0) return {Suggestion::Kind::TooFewSamples, 0};
    if (!sensorSwitching) return {Suggestion::Kind::SensorNotSwitching, 0};
    const double leanExcess = double(counted.lean - counted.rich) / total;
    if (std::abs(leanExcess) < kEvenShare) return {Suggestion::Kind::Balanced, 0};
    const auto steps = std::clamp<std::int32_t>(
        static_cast<std::int32_t>(std::lround(std::abs(leanExcess) * kStepsForOneSided)), 1,
        Suggestion::kMostSteps);
    if (leanExcess > 0) return {Suggestion::Kind::Richer, steps};
    return {Suggestion::Kind::Leaner, -steps};
}
