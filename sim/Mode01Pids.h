// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/EcuReadings.h"

// The OBD-II mode 01 PIDs the simulated petrol ECU answers, encoded as OBD-II has them:
// 00 (which PIDs it knows), 04 load, 05 coolant, 06 and 07 the short and long-term fuel
// trims of bank 1, 0C engine speed.
inline constexpr std::uint8_t kSupportedPidsPid = 0x00;
inline constexpr std::uint8_t kShortTrimPid = 0x06;
// One step of a fuel trim byte: 100/128 %.
inline constexpr double kTrimPercentPerStep = 100.0 / 128;

// The data bytes that follow "41 PP"; nothing for a PID the ECU does not know.
std::optional<std::vector<std::uint8_t>> Mode01Data(std::uint8_t pid, const EcuReadings& readings);

// A fuel trim's byte: 0 is -100 %, 128 is 0 %, 255 is +99.2 %.
std::uint8_t TrimByte(double percent);
