// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "sim/EngineMixture.h"
#include "sim/ReceivedCommand.h"
#include "sim/TriangleWave.h"

// How the telemetry's petrol time and lambda reading move from frame to frame.
struct TelemetrySweep {
    std::uint16_t petrolStart = 0;
    std::uint16_t petrolStep = 8;  // raw units (4 us) per frame
    std::uint16_t petrolMaximum = 4095;
    std::uint16_t lambdaStart = 0;
    std::uint16_t lambdaStep = 512;
    std::uint16_t lambdaMaximum = 65535;
    // Per cell, how much leaner (positive) or richer than the sweep it reads.
    EngineMixture::Offsets lambdaBias{};
};

// The controller's side of the protocol without any I/O: sixteen parameters and their stored
// copy, the telemetry frame sequence, and what each received command does to them.
class ControllerModel {
public:
    // One parameter per cell of the engine's mixture.
    static constexpr std::size_t kParameterCount = EngineMixture::kCells;
    static constexpr std::size_t kFrameSize = 6;
    using Parameters = EngineMixture::Parameters;
    using Frame = std::array<std::uint8_t, kFrameSize>;

    ControllerModel(const Parameters& initial, const TelemetrySweep& sweep);

    // Index, petrol time (big-endian), lambda (big-endian), current value of that index.
    Frame nextTelemetryFrame();
    // The same with readings given rather than swept, as they are.
    Frame nextTelemetryFrame(std::uint16_t petrol, std::uint16_t lambda);

    // Applies a received command and returns the line to log for it.
    std::string apply(const ReceivedCommand& command);

    // With echo off, set-parameter frames are logged but not applied, so the telemetry keeps
    // reporting the old values.
    void setEcho(bool on) { echo_ = on; }
    bool echo() const { return echo_; }

    void setParameter(std::size_t index, std::uint8_t value) { parameters_.at(index) = value; }
    // The petrol time of the last frame, or the one held since.
    std::uint16_t petrolNow() const { return petrolNow_; }
    // From the next frame on the petrol time stays at `petrol`, as --petrol holds it.
    void holdPetrol(std::uint16_t petrol);
    // Another controller on the line: its own set, stored and working.
    void swapController(const Parameters& parameters);
    // Switched off and on: what was not stored is gone.
    void restart() { parameters_ = stored_; }
    const Parameters& parameters() const { return parameters_; }
    const Parameters& storedParameters() const { return stored_; }

private:
    Parameters parameters_;
    Parameters stored_;
    TriangleWave petrol_;
    TriangleWave lambda_;
    EngineMixture mixture_;
    std::uint16_t petrolNow_;
    std::uint8_t nextIndex_ = 0;
    bool echo_ = true;
};
