// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <vector>

#include "link/CommEvent.h"

// Gives the link bytes as the serial channel hands them on after the line was
// idle, so the first of them starts a frame.
inline void ReceiveAfterPause(LinkState& state, WindowOps& window,
                              const std::vector<std::uint8_t>& bytes) {
    constexpr FrameReader::Micros kLongAfterOpening = 1'000'000;
    FrameReader reader;
    reader.Reset(0);
    HandleReceivedBytes(state, window, reader, bytes, kLongAfterOpening);
}
