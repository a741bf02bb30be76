// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstdint>

#include "link/LinkState.h"

inline constexpr std::size_t kFrameSize = 6;
using TelemetryFrame = std::array<std::uint8_t, kFrameSize>;

// Frames naming a higher index are no telemetry.
inline constexpr int kHighestIndex = 15;

enum class FrameResult { Ignored, Stored, Complete };

// Stores one telemetry frame in the record. A frame naming an index above 15
// changes nothing at all.
FrameResult ApplyTelemetryFrame(LinkState& state, const TelemetryFrame& frame);

// Gas injection time in microseconds: the petrol time of the cell plus 14 us per
// parameter step, interpolated between the cell's parameter and the next one.
std::int32_t ComputeGasTime(std::int32_t cellIndex, std::int32_t petrolRaw,
                            const std::array<std::uint8_t, 17>& deviceParams);
