// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/ControllerModel.h"
#include "sim/FuelTrimModel.h"
#include "sim/TransmitMode.h"

// Start-up settings of dx470-sim, parsed from its command line.
struct SimOptions {
    static constexpr std::uint8_t kDefaultParameter = 100;

    std::optional<int> linkNumber;  // n of "--link COMn"
    std::chrono::milliseconds gap{10};
    ControllerModel::Parameters parameters = defaultParameters();
    TelemetrySweep sweep;
    TransmitMode mode = TransmitMode::Talk;
    bool echo = true;
    // Each byte on its own at line pace, as a UART hands them over.
    bool bytewise = false;
    std::uint32_t seed = 1;
    // A session log whose frames are sent with their timing instead of the sweep.
    std::optional<std::string> replayPath;
    // An ELM327 adapter on a second pseudo-terminal, and the car's petrol ECU behind it.
    bool obd = false;
    std::optional<int> obdLinkNumber;  // n of "--obd-link COMn"
    std::chrono::milliseconds obdDelay{15};
    int obdDropEvery = 0;
    FuelTrimModel::Settings engine;

    struct ParseResult;
    // args excludes the program name.
    static ParseResult parse(const std::vector<std::string>& args);
    static std::string usage();
    static ControllerModel::Parameters defaultParameters();
};

struct SimOptions::ParseResult {
    SimOptions options;
    bool helpRequested = false;
    std::string error;  // empty when the command line was valid
};
