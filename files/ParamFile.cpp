// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "files/ParamFile.h"

#include <algorithm>

namespace {

constexpr unsigned kBitsPerByte = 8;
constexpr std::uint32_t kByteMask = 0xFF;
constexpr std::size_t kExtensionLength = sizeof(kParamExtension) - 1;

// Sets byte `byteIndex` (0 = lowest) of a value, keeping its other bytes.
std::int32_t WithByte(std::int32_t value, std::size_t byteIndex, std::uint8_t byte) {
    const unsigned shift = static_cast<unsigned>(byteIndex) * kBitsPerByte;
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    bits &= ~(kByteMask << shift);
    bits |= static_cast<std::uint32_t>(byte) << shift;
    return static_cast<std::int32_t>(bits);
}

}  // namespace

ParamFileBytes EncodeParamFile(const PanelParams& params) {
    ParamFileBytes bytes{};
    for (std::size_t k = 0; k < params.size(); ++k) {
        const std::uint32_t bits = static_cast<std::uint32_t>(params[k]);
        for (std::size_t b = 0; b < kParamRecordSize; ++b) {
            bytes[k * kParamRecordSize + b] =
                static_cast<std::uint8_t>((bits >> (b * kBitsPerByte)) & kByteMask);
        }
    }
    return bytes;
}

ParamFileLoad DecodeParamFile(std::span<const std::uint8_t> bytes, PanelParams& params) {
    if (bytes.size() > kParamFileSize) return ParamFileLoad::TooLong;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::int32_t& value = params[i / kParamRecordSize];
        value = WithByte(value, i % kParamRecordSize, bytes[i]);
    }
    return ParamFileLoad::Loaded;
}

std::string WithParamExtension(const std::string& path) {
    const bool hasExtension =
        path.size() >= kExtensionLength &&
        path.compare(path.size() - kExtensionLength, kExtensionLength, kParamExtension) == 0;
    return hasExtension ? path : path + kParamExtension;
}

int SpinPositionFor(std::int32_t fileValue) {
    const auto position = static_cast<std::int16_t>(static_cast<std::uint32_t>(fileValue));
    return std::clamp<std::int32_t>(position, kSpinLowest, kSpinHighest);
}
