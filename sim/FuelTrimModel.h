// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <chrono>
#include <cstdint>

#include "sim/EcuReadings.h"
#include "sim/EngineFuel.h"
#include "sim/EngineMixture.h"

// The car's petrol ECU, seeing the engine through the gas controller's map. The petrol time
// of the moment picks the cell as in the controller. On gas the map gives
//     G = 4 us x petrol + 14 us x P
// (P the cell's working parameter), while the engine wants
//     R = (4 us x petrol + 14 us x S) x (1 + e / 100)
// (S the parameter the cell started with, e its --trim-error: how much too lean its map
// is). The ECU makes up the difference with its short-term trim, (R / G - 1) x 100 %; its
// long-term trim holds the car's own correction (--petrol-trim) on either fuel. On petrol
// the short-term trim is 0. So raising a cell's parameter by
//     round(e / 100 x (4 x petrol + 14 x S) / 14)
// steps brings its short-term trim back to about 0.
// Speed and load rise with the cell; the coolant warms 1 degree a second up to 90.
class FuelTrimModel {
public:
    static constexpr double kMicrosPerPetrolUnit = 4;
    static constexpr double kMicrosPerStep = 14;
    using Parameters = EngineMixture::Parameters;
    using TrimErrors = std::array<double, EngineMixture::kCells>;

    struct Settings {
        TrimErrors trimErrors{};  // per cell, % too lean on gas (negative: too rich)
        double petrolTrim = 0;    // % the long-term trim holds
        EngineFuel fuel = EngineFuel::Gas;
        int coolantCelsius = 90;  // at start
    };

    FuelTrimModel(const Settings& settings, const Parameters& start)
        : settings_(settings), start_(start) {}

    void setFuel(EngineFuel fuel) { settings_.fuel = fuel; }
    EngineFuel fuel() const { return settings_.fuel; }

    // What the ECU reads at petrol time `petrol` (0: the engine is not running), with the
    // controller's working parameters and the time since the engine was started.
    EcuReadings readings(std::uint16_t petrol, const Parameters& working,
                         std::chrono::nanoseconds sinceStart) const;

    // Short plus long-term trim that gas would give at the middle of `cell` now.
    double gasTrimAtMiddle(std::size_t cell, const Parameters& working) const;

private:
    double gasShortTrim(std::uint16_t petrol, const Parameters& working) const;
    int coolantAfter(std::chrono::nanoseconds sinceStart) const;

    Settings settings_;
    Parameters start_;
};
