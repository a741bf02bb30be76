// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "domain/Calibration.h"
#include "domain/ObdReadings.h"
#include "link/LinkState.h"

// What a session is made of, as the window shows it, a log keeps it and a
// replay gives it back: the frames shown, and the events between them.

// One frame the window showed. The readings are the link's own integers, so
// nothing is rounded on the way into a log and back.
struct SessionFrame {
    // Microseconds on the clock of the frame's source: the steady clock for a
    // live frame, the time since its log began for a recorded one.
    std::int64_t timeUs = 0;
    std::int32_t cell = 0;
    std::int32_t petrolRaw = 0;  // 4 us steps
    std::int32_t gasTimeUs = 0;
    std::int32_t lambdaRaw = 0;  // 0..65535 for 0..5 V
    // The controller's parameter of the frame's cell.
    std::int32_t param = 0;
    // The number of the mark that came just before this frame; 0 for none.
    std::int32_t mark = 0;
    // The petrol ECU's readings of an OBD round that ended just before this
    // frame; empty on every other frame, and always without an OBD adapter.
    std::optional<ObdReadings> obd{};

    bool operator==(const SessionFrame&) const = default;
};

// Something that happened between frames. Every event is a numbered mark of
// its log; the mark the user sets is the plain one.
struct SessionEvent {
    enum class Kind {
        Mark,
        ParameterSent,
        StoreSent,
        FileLoaded,
        ReplayStarted,
        ReplayEnded,
        // The fitter switched the engine to another fuel; value 0 petrol, 1 gas.
        FuelChanged
    };
    Kind kind = Kind::Mark;
    std::int32_t number = 0;
    std::int32_t index = 0;  // ParameterSent
    std::int32_t value = 0;  // ParameterSent; FuelChanged
    std::string name{};      // FileLoaded: the file's name

    bool operator==(const SessionEvent&) const = default;
};

// The frame the record shows now; ShowLiveValues must have run for it.
SessionFrame FrameOf(const LinkState& state);

// The lambda band of a frame, in the link's numbering (0 middle, 1 low, 2 high).
LambdaBand BandOf(const SessionFrame& frame);

Readouts ReadoutsOf(const SessionFrame& frame);
