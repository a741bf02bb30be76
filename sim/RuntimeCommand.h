// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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
        Invalid
    };

    Kind kind = Kind::None;
    std::uint8_t index = 0;                  // Set only
    std::uint8_t value = 0;                  // Set only
    EngineMixture::Parameters parameters{};  // Swap only

    // Blank lines give None; anything not understood gives Invalid.
    static RuntimeCommand parse(std::string_view line);
};
