// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "domain/ObdReadings.h"

// The mode 01 PIDs read from the petrol ECU, trims first: they are what the
// readings are for, and the rest only qualify them.
inline constexpr std::uint8_t kShortTrimPid = 0x06;
inline constexpr std::uint8_t kLongTrimPid = 0x07;
inline constexpr std::uint8_t kRpmPid = 0x0C;
inline constexpr std::uint8_t kCoolantPid = 0x05;
inline constexpr std::uint8_t kLoadPid = 0x04;
inline constexpr std::array<std::uint8_t, 5> kPolledPids = {kShortTrimPid, kLongTrimPid, kRpmPid,
                                                            kCoolantPid, kLoadPid};

// "0106": the request for a mode 01 PID, as the adapter takes it.
std::string RequestFor(std::uint8_t pid);

// Stores a PID's data bytes in the readings; false when the data is too
// short for that PID (a cut or foreign line), which changes nothing.
bool StorePid(ObdReadings& readings, std::uint8_t pid, const std::vector<std::uint8_t>& data);
