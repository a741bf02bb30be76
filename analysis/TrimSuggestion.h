// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>

// One cell's fuel trims on one fuel: the petrol ECU's short and long term
// together, over the samples that counted.
struct FuelTrims {
    std::int32_t samples = 0;
    double meanPercent = 0;
    // Standard deviation of the samples.
    double spreadPercent = 0;
    // The gas time the map gave at those samples.
    double meanGasUs = 0;
};

// What the trims make of a cell on gas. Only Richer and Leaner propose a
// change, to the fitter: nothing is ever sent from here.
struct TrimSuggestion {
    // A step is 14 us of gas; however large the trim, no more than this at
    // once (about a sixth of a petrol cell's width): trims that big more
    // likely say something else is wrong, and the next round corrects the rest.
    static constexpr std::int32_t kMostSteps = 30;
    // Trims closer than this to the petrol ones are the ECU's own wobble.
    static constexpr double kBalancedPercent = 1.5;
    static constexpr double kUsPerStep = 14.0;

    enum class Kind { TooFewSamples, Balanced, Richer, Leaner };
    Kind kind = Kind::TooFewSamples;
    std::int32_t steps = 0;
    // Gas trims less petrol trims (or less nothing, without petrol ones).
    double differencePercent = 0;
    bool againstPetrol = false;

    bool operator==(const TrimSuggestion&) const = default;
};

// A positive trim is fuel the ECU adds: the gas map is that much too lean
// there, by the ECU's measure. The ECU's own error shows on petrol too, so
// it is taken off when the cell has enough petrol samples. The amount
// converts into steps through the gas time itself:
//
//   steps = difference / 100 × mean gas time / 14 us, rounded, at most 30
//
// so +5 % at a gas time of 5.6 ms is 20 steps more gas.
TrimSuggestion SuggestFromTrims(const FuelTrims& gas, const FuelTrims& petrol,
                                std::int32_t fewestSamples);
