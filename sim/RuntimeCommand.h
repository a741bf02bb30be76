// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sim/EngineFuel.h"
#include "sim/EngineMixture.h"

// A command typed on the simulator's stdin while it runs.
struct RuntimeCommand {
    enum class Kind {
        None,
        Talk,
        Silent,
        Garbage,
        Echo,
        NoEcho,
        Set,
        Swap,
        Restart,
        Dump,
        Count,
        Hangup,
        Unplug,
        Plug,
        Quit,
        SetFuel,
        HoldPetrol,
        ObdTalk,
        ObdNoData,
        ObdGarbage,
        ObdUnplug,
        ObdPlug,
        ObdCount,
        Trims,
        Invalid
    };

    Kind kind = Kind::None;
    std::uint8_t index = 0;                  // Set only
    std::uint8_t value = 0;                  // Set only
    EngineMixture::Parameters parameters{};  // Swap only
    EngineFuel fuel = EngineFuel::Gas;       // SetFuel only
    std::uint16_t petrol = 0;                // HoldPetrol only

    // Blank lines give None; anything not understood gives Invalid.
    static RuntimeCommand parse(std::string_view line);
};
