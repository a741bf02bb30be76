// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>

// Colours as 0x00BBGGRR, the controller tool's traditional notation.
using Colour = std::uint32_t;

inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kYellow = 0x00FFFF;
inline constexpr Colour kCyan = 0xFFFF00;
inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kWhite = 0xFFFFFF;
inline constexpr Colour kLabelBlue = 0xF53C0A;
// Parameters the controller has not stored, and the Write button meanwhile.
inline constexpr Colour kUnstoredOrange = 0x0060E8;

inline constexpr Colour kStatusNoLink = kRed;
inline constexpr Colour kStatusLinkUp = 0xE17850;
inline constexpr Colour kStatusFrameSent = kYellow;

inline constexpr Colour kLambdaMiddle = 0x00D21E;
inline constexpr Colour kLambdaLow = 0xB4781E;
inline constexpr Colour kLambdaHigh = 0x003CFF;

constexpr int RedOf(Colour c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(Colour c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(Colour c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
