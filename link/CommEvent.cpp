// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/CommEvent.h"

#include "link/LiveValues.h"
#include "link/Telemetry.h"

void HandleReceivedBytes(LinkState& state, WindowOps& window, FrameReader& reader,
                         std::span<const std::uint8_t> bytes, FrameReader::Micros arrival) {
    for (const TelemetryFrame& frame : reader.Feed(bytes, arrival)) {
        if (ApplyTelemetryFrame(state, frame) == FrameResult::Complete) {
            ShowLiveValues(state, window);
        }
    }
}
