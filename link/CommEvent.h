// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "link/FrameReader.h"
#include "link/LinkState.h"
#include "link/WindowOps.h"

// Takes the bytes of one read from the channel: every frame they complete is
// stored and, once every index has been seen, shown. Nothing waits and nothing
// is thrown away: the reader keeps a frame's first bytes until the rest comes.
// Returns the frames taken, for whoever counts them.
std::vector<TelemetryFrame> HandleReceivedBytes(LinkState& state, WindowOps& window,
                                                FrameReader& reader,
                                                std::span<const std::uint8_t> bytes,
                                                FrameReader::Micros arrival);
