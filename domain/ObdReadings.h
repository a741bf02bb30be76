// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <optional>

// Which fuel the engine runs on. The gas controller's frames do not say, so
// the fitter tells the program when he switches.
enum class Fuel { Petrol, Gas };

// One round of readings from the petrol ECU over OBD-II (mode 01), kept as the
// bytes came so a log gives them back exactly. A PID that did not answer in
// the round is empty.
struct ObdReadings {
    std::optional<std::uint8_t> shortTrim;  // PID 06, bank 1
    std::optional<std::uint8_t> longTrim;   // PID 07, bank 1
    std::optional<std::uint16_t> rpm;       // PID 0C, quarters of a revolution per minute
    std::optional<std::uint8_t> coolant;    // PID 05
    std::optional<std::uint8_t> load;       // PID 04

    bool operator==(const ObdReadings&) const = default;
};

// The standard scalings of those PIDs.
constexpr double TrimPercent(std::uint8_t raw) {
    return raw / 1.28 - 100.0;
}
constexpr double RpmOf(std::uint16_t raw) {
    return raw / 4.0;
}
constexpr int CoolantCelsius(std::uint8_t raw) {
    return int{raw} - 40;
}
constexpr double LoadPercent(std::uint8_t raw) {
    return raw * 100.0 / 255.0;
}

// Short and long term together: what the ECU adds to (or takes from) its
// fuel, in percent; empty unless both came.
inline std::optional<double> TotalTrimPercent(const ObdReadings& readings) {
    if (!readings.shortTrim || !readings.longTrim) return std::nullopt;
    return TrimPercent(*readings.shortTrim) + TrimPercent(*readings.longTrim);
}
