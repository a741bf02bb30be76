// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "log/SessionRecord.h"

#include "link/LiveValues.h"

SessionFrame FrameOf(const LinkState& state) {
    SessionFrame frame;
    frame.cell = state.cellIndex;
    frame.petrolRaw = state.petrolRaw;
    frame.gasTimeUs = state.gasTimeUs;
    frame.lambdaRaw = state.lambdaRaw;
    frame.param = state.deviceParams[static_cast<std::size_t>(state.cellIndex) % kParamCount];
    return frame;
}

LambdaBand BandOf(const SessionFrame& frame) {
    return LambdaBandOf(frame.lambdaRaw);
}

Readouts ReadoutsOf(const SessionFrame& frame) {
    return ReadoutsOf(frame.petrolRaw, frame.gasTimeUs, frame.lambdaRaw);
}
