// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "domain/Calibration.h"
#include "files/ParamFileNames.h"

// A parameter set file is sixteen signed 32-bit little-endian records, one per
// parameter in order 0..15, and nothing else.
inline constexpr std::size_t kParamRecordSize = 4;
inline constexpr std::size_t kParamFileSize = kParamRecordSize * kParamCount;
static_assert(kParamFileSize == 64);

using ParamFileBytes = std::array<std::uint8_t, kParamFileSize>;

// The range of a parameter spin button.
inline constexpr std::int32_t kSpinLowest = kLowestValue;
inline constexpr std::int32_t kSpinHighest = kHighestValue;

enum class ParamFileLoad {
    Loaded,   // the file's bytes were applied (possibly none of them)
    TooLong,  // more than kParamFileSize bytes: not a parameter set, nothing applied
};

// The file contents for a panel, every value written lowest byte first.
ParamFileBytes EncodeParamFile(const PanelParams& params);

// Lays the file's bytes over the panel from its first byte, as the in-memory
// image of the sixteen values on a little-endian machine: a short file replaces
// only the bytes it holds, so a 10-byte file sets parameters 0 and 1 and the
// two low bytes of parameter 2. A file longer than kParamFileSize changes nothing.
ParamFileLoad DecodeParamFile(std::span<const std::uint8_t> bytes, PanelParams& params);

// The save name with ".tq4" appended unless its last four bytes already are
// ".tq4", compared byte for byte (so "a.TQ4" becomes "a.TQ4.tq4").
std::string WithParamExtension(const std::string& path);

// Where a spin button goes for a value read from a file. The spin's position
// is a signed 16-bit number, so the value keeps only its low 16 bits, read as
// signed, and then goes to the nearer end of the range if outside it: 65536 + 120
// gives 120, 0xFFFF (-1) gives 0, 300 gives 255.
int SpinPositionFor(std::int32_t fileValue);
