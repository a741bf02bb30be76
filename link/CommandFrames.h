// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

using CommandFrame = std::array<std::uint8_t, 6>;

inline constexpr std::uint8_t kCommandStart = 0xAB;
inline constexpr std::uint8_t kSetParameterCode = 0x01;
inline constexpr std::uint8_t kStoreCode = 0x02;
inline constexpr CommandFrame kStoreFrame{0xAB, 0x02, 0x48, 0x07, 0x1A, 0x16};
// Where a set-parameter frame carries the parameter's index and new value.
inline constexpr std::size_t kFrameIndexByte = 3;
inline constexpr std::size_t kFrameValueByte = 4;
// SendFrame sends the store frame for any index whose low byte is above 15.
inline constexpr std::int32_t kStoreIndex = 16;

// The frame for SendFrame(index, value): set-parameter for index 0..15 (low
// byte), otherwise the store frame. Only low bytes are used.
CommandFrame BuildCommandFrame(std::int32_t index, std::int32_t value);

// Sum of bytes 0..4, modulo 256.
std::uint8_t FrameChecksum(const CommandFrame& frame);
