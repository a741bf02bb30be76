// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/CommEvent.h"

#include "link/LiveValues.h"
#include "link/Telemetry.h"

std::vector<TelemetryFrame> HandleReceivedBytes(LinkState& state, WindowOps& window,
                                                FrameReader& reader,
                                                std::span<const std::uint8_t> bytes,
                                                FrameReader::Micros arrival) {
    std::vector<TelemetryFrame> frames = reader.Feed(bytes, arrival);
    for (const TelemetryFrame& frame : frames) {
        if (ApplyTelemetryFrame(state, frame) == FrameResult::Complete) {
            ShowLiveValues(state, window);
        }
    }
    return frames;
}
