// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstdint>
#include <string>

// What every layer speaks of, in the controller's own terms: its sixteen
// parameters, the three readouts as a person reads them, and the band of a
// lambda reading. No behaviour, no Qt.

inline constexpr int kParamCount = 16;

// The sixteen parameters in parameter order: the values in the panel, in a
// file, or in a record of unstored changes.
using PanelParams = std::array<std::int32_t, kParamCount>;

// The range of every parameter: one byte on the wire.
inline constexpr std::int32_t kLowestValue = 0;
inline constexpr std::int32_t kHighestValue = 255;

// Bit k stands for parameter k.
using ParamMask = std::uint16_t;
inline constexpr ParamMask kEveryParam = 0xFFFF;

// The three readouts as texts, with the position of each bar.
struct Readouts {
    std::string petrolText;
    int petrolBar = 0;
    std::string gasText;
    int gasBar = 0;
    std::string lambdaText;
    int lambdaBar = 0;
    bool operator==(const Readouts&) const = default;
};

// The colour band of a lambda reading; the numbers are the controller's.
enum class LambdaBand : std::uint8_t { Middle = 0, Low = 1, High = 2 };
