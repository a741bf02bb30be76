// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "sim/ControllerModel.h"

ControllerModel::ControllerModel(const Parameters& initial, const TelemetrySweep& sweep)
    : parameters_(initial),
      stored_(initial),
      petrol_(sweep.petrolStart, sweep.petrolStep, sweep.petrolMaximum),
      lambda_(sweep.lambdaStart, sweep.lambdaStep, sweep.lambdaMaximum),
      mixture_(sweep.lambdaBias, initial),
      petrolNow_(petrol_.value()) {}

ControllerModel::Frame ControllerModel::nextTelemetryFrame() {
    const std::size_t cell = EngineMixture::CellOf(petrol_.value());
    const std::uint16_t lambda = mixture_.Reading(lambda_.value(), cell, parameters_[cell]);
    const Frame frame = nextTelemetryFrame(petrol_.value(), lambda);
    petrol_.advance();
    lambda_.advance();
    return frame;
}

ControllerModel::Frame ControllerModel::nextTelemetryFrame(std::uint16_t petrol,
                                                           std::uint16_t lambda) {
    petrolNow_ = petrol;
    const Frame frame = {
        nextIndex_,
        static_cast<std::uint8_t>(petrol >> 8),
        static_cast<std::uint8_t>(petrol & 0xFF),
        static_cast<std::uint8_t>(lambda >> 8),
        static_cast<std::uint8_t>(lambda & 0xFF),
        parameters_[nextIndex_],
    };
    nextIndex_ = static_cast<std::uint8_t>((nextIndex_ + 1) % kParameterCount);
    return frame;
}

void ControllerModel::holdPetrol(std::uint16_t petrol) {
    petrol_ = TriangleWave(petrol, 0, petrol);
    petrolNow_ = petrol;
}

void ControllerModel::swapController(const Parameters& parameters) {
    parameters_ = parameters;
    stored_ = parameters;
}

std::string ControllerModel::apply(const ReceivedCommand& command) {
    switch (command.kind) {
        case ReceivedCommand::Kind::SetParameter:
            if (echo_) parameters_[command.index] = command.value;
            break;
        case ReceivedCommand::Kind::Store:
            stored_ = parameters_;
            break;
        default:
            break;
    }
    return command.logLine();
}
