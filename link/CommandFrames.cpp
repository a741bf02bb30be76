// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/CommandFrames.h"

namespace {
constexpr std::uint8_t kHighestIndex = 15;
constexpr std::uint8_t LowByte(std::int32_t v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}
}  // namespace

std::uint8_t FrameChecksum(const CommandFrame& frame) {
    unsigned sum = 0;
    for (int i = 0; i < 5; ++i) sum += frame[i];
    return static_cast<std::uint8_t>(sum & 0xFF);
}

CommandFrame BuildCommandFrame(std::int32_t index, std::int32_t value) {
    if (LowByte(index) > kHighestIndex) return kStoreFrame;
    CommandFrame frame{kCommandStart, kSetParameterCode, 0x00, LowByte(index), LowByte(value), 0};
    frame[5] = FrameChecksum(frame);
    return frame;
}
