// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <optional>
#include <string_view>

// What the simulated engine burns: its petrol ECU's trims mean something else on each.
enum class EngineFuel { Petrol, Gas };

constexpr std::string_view engineFuelName(EngineFuel fuel) {
    return fuel == EngineFuel::Petrol ? "petrol" : "gas";
}

constexpr std::optional<EngineFuel> engineFuelNamed(std::string_view name) {
    if (name == "petrol") return EngineFuel::Petrol;
    if (name == "gas") return EngineFuel::Gas;
    return std::nullopt;
}
