// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/FuelTrimModel.h"

#include <algorithm>

namespace {

using namespace std::chrono_literals;

constexpr double kIdleRpm = 750;
constexpr double kRpmPerCell = 300;
constexpr double kIdleLoadPercent = 15;
constexpr double kLoadPercentPerCell = 5;
constexpr int kWarmCelsius = 90;
constexpr std::uint16_t kPetrolPerCell = 256;
constexpr double kPercent = 100;

}  // namespace

EcuReadings FuelTrimModel::readings(std::uint16_t petrol, const Parameters& working,
                                    std::chrono::nanoseconds sinceStart) const {
    EcuReadings readings;
    readings.coolantCelsius = coolantAfter(sinceStart);
    readings.longTrimPercent = settings_.petrolTrim;
    readings.running = petrol != 0;
    if (!readings.running) return readings;
    const auto cell = static_cast<double>(EngineMixture::CellOf(petrol));
    readings.rpm = kIdleRpm + kRpmPerCell * cell;
    readings.loadPercent = kIdleLoadPercent + kLoadPercentPerCell * cell;
    if (settings_.fuel == EngineFuel::Gas)
        readings.shortTrimPercent = gasShortTrim(petrol, working);
    return readings;
}

double FuelTrimModel::gasTrimAtMiddle(std::size_t cell, const Parameters& working) const {
    const auto middle = static_cast<std::uint16_t>(cell * kPetrolPerCell + kPetrolPerCell / 2);
    return gasShortTrim(middle, working) + settings_.petrolTrim;
}

double FuelTrimModel::gasShortTrim(std::uint16_t petrol, const Parameters& working) const {
    const std::size_t cell = EngineMixture::CellOf(petrol);
    const double petrolMicros = kMicrosPerPetrolUnit * petrol;
    const double given = petrolMicros + kMicrosPerStep * working[cell];
    const double wanted = (petrolMicros + kMicrosPerStep * start_[cell]) *
                          (1 + settings_.trimErrors[cell] / kPercent);
    return (wanted / given - 1) * kPercent;
}

// An engine started hot stays as hot as it is.
int FuelTrimModel::coolantAfter(std::chrono::nanoseconds sinceStart) const {
    const int start = settings_.coolantCelsius;
    if (start >= kWarmCelsius) return start;
    const auto warmed = std::chrono::duration_cast<std::chrono::seconds>(sinceStart).count();
    return static_cast<int>(std::min<long long>(kWarmCelsius, start + warmed));
}
