// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>

// How the readings of one cell fell: lean (low band), middle, rich (high
// band). A narrowband sensor reads low when the mixture is lean.
struct MixtureCounts {
    std::int32_t lean = 0;
    std::int32_t middle = 0;
    std::int32_t rich = 0;

    std::int32_t Total() const { return lean + middle + rich; }
};

// What the rules make of a cell. Only Richer and Leaner propose a change,
// and only to the fitter: nothing is ever sent from here.
struct Suggestion {
    // However one-sided the readings, no more steps than this at once.
    static constexpr std::int32_t kMostSteps = 5;
    enum class Kind { TooFewSamples, SensorNotSwitching, Balanced, Richer, Leaner };
    Kind kind = Kind::TooFewSamples;
    // Parameter steps: positive (more gas, richer) or negative (leaner); 0
    // when there is nothing to change.
    std::int32_t steps = 0;

    bool operator==(const Suggestion&) const = default;
};

// The rules' settings; the defaults are what the window uses.
struct SuggestionRules {
    // A cell's readings count only this long after the engine entered the
    // cell or its parameter was sent: the sensor lags the injectors.
    std::int64_t settleUs = 1'000'000;
    // Fewer counted readings than this say nothing.
    std::int32_t fewestSamples = 400;
    // A sensor that has not swung from lean to rich or back for this long is
    // cold or dead, and its readings say nothing.
    std::int64_t switchWindowUs = 5'000'000;
};

// The sensor only tells which side of the switch point the mixture is on, so
// the step count is no measured amount: it grows with how one-sided the
// readings are, up to a few steps, and a nearly even split is left alone.
Suggestion SuggestFrom(const MixtureCounts& counted, bool sensorSwitching,
                       const SuggestionRules& rules);
