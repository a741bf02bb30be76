// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/SendScheduler.h"

#include <optional>

#include "link/CommandFrames.h"

namespace {
constexpr std::uint8_t kHoldoffTicks = 2;

// The lowest parameter whose panel value the controller does not hold.
std::optional<int> FirstDiffering(const LinkState& state, const PanelParams& panelParams) {
    for (int i = 0; i < kParamCount; ++i) {
        if (static_cast<std::int32_t>(state.deviceParams[i]) != panelParams[i]) return i;
    }
    return std::nullopt;
}
}  // namespace

void SendFrame(LinkState& state, WindowOps& window, CommChannel& channel, std::int32_t index,
               std::int32_t value) {
    const CommandFrame frame = BuildCommandFrame(index, value);
    channel.Write(frame);
    window.ShowStatusColour(WindowOps::StatusColour::FrameSent);
    state.sendHoldoff = kHoldoffTicks;
    if (frame == kStoreFrame) {
        window.NoteStoreSent();
    } else {
        window.NoteParameterSent(frame[kFrameIndexByte], frame[kFrameValueByte]);
    }
}

void SendTick(LinkState& state, const PanelParams& panelParams, WindowOps& window,
              CommChannel& channel) {
    if (!state.linkUp) return;
    window.ShowStatusColour(WindowOps::StatusColour::LinkUp);
    if (state.sendHoldoff > 0) {
        --state.sendHoldoff;
        return;
    }
    const std::optional<int> differing = FirstDiffering(state, panelParams);
    if (state.writeRequested) {
        state.writeRequested = false;
        state.followUpStore = differing.has_value();
        SendFrame(state, window, channel, kStoreIndex, 0);
        return;
    }
    if (differing) {
        const int i = *differing;
        const auto lowByte = static_cast<std::uint8_t>(panelParams[i] & 0xFF);
        state.deviceParams[i] = lowByte;
        SendFrame(state, window, channel, i, lowByte);
        return;
    }
    if (state.followUpStore) {
        state.followUpStore = false;
        SendFrame(state, window, channel, kStoreIndex, 0);
    }
}

void RequestWrite(LinkState& state) {
    state.writeRequested = true;
}
