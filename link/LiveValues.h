#pragma once

#include <cstdint>
#include <string>

#include "Colours.h"
#include "LinkState.h"
#include "WindowOps.h"

inline constexpr int kPetrolBarMax = 4096;
inline constexpr int kGasBarMax = 16384;
inline constexpr int kLambdaBarMax = 255;

enum LambdaBand : std::uint8_t { kBandMiddle = 0, kBandLow = 1, kBandHigh = 2 };

std::uint8_t LambdaBandOf(std::int32_t lambdaRaw);
Colour LambdaBandColour(std::uint8_t band);

// "%d,%03d" of a time in microseconds: milliseconds with a decimal comma.
std::string FormatMilliseconds(std::int32_t microseconds);
// Whole volts, a comma and two truncated decimals.
std::string FormatLambdaVolts(std::int32_t lambdaRaw);

// Writes the three readouts, their bars and the cell marker from the record.
void ShowLiveValues(LinkState& state, WindowOps& window);
// Shows the marker of the current cell and hides the other fifteen.
void ShowCellMarker(const LinkState& state, WindowOps& window);
