// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <string>

#include "link/LinkState.h"
#include "link/WindowOps.h"

inline constexpr int kPetrolBarMax = 4096;
inline constexpr int kGasBarMax = 16384;
inline constexpr int kLambdaBarMax = 255;
// The edges of the lambda bands; 16383 is already the middle band.
inline constexpr std::int32_t kLowBandEnd = 16383;
inline constexpr std::int32_t kHighBandStart = 49152;
inline constexpr std::int32_t kLambdaFullScale = 65535;

LambdaBand LambdaBandOf(std::int32_t lambdaRaw);

// "%d,%03d" of a time in microseconds: milliseconds with a decimal comma.
std::string FormatMilliseconds(std::int32_t microseconds);
// Whole volts, a comma and two truncated decimals.
std::string FormatLambdaVolts(std::int32_t lambdaRaw);

// The texts and bar positions of the three readouts for the record as it is;
// gasTimeUs must be current.
Readouts ReadoutsOf(const LinkState& state);
// The same for readings kept elsewhere (a recorded frame).
Readouts ReadoutsOf(std::int32_t petrolRaw, std::int32_t gasTimeUs, std::int32_t lambdaRaw);

// Computes the gas time, then shows the three readouts, the lambda band when
// it changed, and the cell marker.
void ShowLiveValues(LinkState& state, WindowOps& window);
// Shows the marker of the current cell; a cell outside 0..15 changes nothing.
void ShowCellMarker(const LinkState& state, WindowOps& window);
