// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/SendScheduler.h"

#include <optional>

#include "link/CommandFrames.h"
#include "link/StoredSet.h"

namespace {
constexpr std::uint8_t kHoldoffTicks = 2;
// A frame goes out on one tick, the holdoff takes the next two.
constexpr int kTicksPerFrame = kHoldoffTicks + 1;

// The lowest parameter whose panel value the controller does not hold.
std::optional<int> FirstDiffering(const LinkState& state, const PanelParams& panelParams) {
    for (int i = 0; i < kParamCount; ++i) {
        if (static_cast<std::int32_t>(state.deviceParams[i]) != panelParams[i]) return i;
    }
    return std::nullopt;
}

int CountDiffering(const LinkState& state, const PanelParams& panelParams) {
    int count = 0;
    for (int i = 0; i < kParamCount; ++i) {
        if (static_cast<std::int32_t>(state.deviceParams[i]) != panelParams[i]) ++count;
    }
    return count;
}

std::uint16_t Bit(int i) {
    return static_cast<std::uint16_t>(1U << i);
}

// The controller stores what it holds, the frames sent so far included; a
// store that did not reach the line stored nothing.
bool SendStoreFrame(LinkState& state, WindowOps& window, CommChannel& channel) {
    if (!SendFrame(state, window, channel, kStoreIndex, 0)) return false;
    RememberStoredSet(state);
    return true;
}

void SendParameter(LinkState& state, const PanelParams& panelParams, WindowOps& window,
                   CommChannel& channel, int i) {
    const auto lowByte = static_cast<std::uint8_t>(panelParams[i] & 0xFF);
    if (!SendFrame(state, window, channel, i, lowByte)) return;
    state.deviceParams[i] = lowByte;
    state.unechoedMask = static_cast<std::uint16_t>(state.unechoedMask | Bit(i));
}
}  // namespace

bool SendFrame(LinkState& state, WindowOps& window, CommChannel& channel, std::int32_t index,
               std::int32_t value) {
    const CommandFrame frame = BuildCommandFrame(index, value);
    if (!channel.Write(frame)) return false;
    window.ShowStatusColour(WindowOps::StatusColour::FrameSent);
    state.sendHoldoff = kHoldoffTicks;
    if (frame == kStoreFrame) {
        window.NoteStoreSent();
    } else {
        window.NoteParameterSent(frame[kFrameIndexByte], frame[kFrameValueByte]);
    }
    return true;
}

void SendTick(LinkState& state, const PanelParams& panelParams, WindowOps& window,
              CommChannel& channel) {
    if (!state.linkUp) return;
    window.ShowStatusColour(WindowOps::StatusColour::LinkUp);
    if (state.sendHoldoff > 0) {
        --state.sendHoldoff;
        return;
    }
    if (state.choicePending) return;
    const std::optional<int> differing = FirstDiffering(state, panelParams);
    if (state.writeRequested) {
        if (SendStoreFrame(state, window, channel)) {
            state.writeRequested = false;
            state.followUpStore = differing.has_value();
        }
        return;
    }
    if (differing) return SendParameter(state, panelParams, window, channel, *differing);
    // Only once the controller has echoed every value sent: a value it did
    // not take is sent again first.
    if (state.followUpStore && state.unechoedMask == 0) {
        if (SendStoreFrame(state, window, channel)) state.followUpStore = false;
    }
}

void RequestWrite(LinkState& state) {
    state.writeRequested = true;
}

void RequestStoreOfPanel(LinkState& state, const PanelParams& panelParams) {
    if (FirstDiffering(state, panelParams) || state.unechoedMask != 0) {
        state.followUpStore = true;
    } else {
        state.writeRequested = true;
    }
}

bool PanelStored(const LinkState& state, const PanelParams& panelParams) {
    return !state.writeRequested && !state.followUpStore && state.unechoedMask == 0 &&
           !FirstDiffering(state, panelParams);
}

int TicksUntilSent(const LinkState& state, const PanelParams& panelParams) {
    const int differing = CountDiffering(state, panelParams);
    const bool storeFirst = state.writeRequested;
    const bool storeLast = state.followUpStore || (storeFirst && differing > 0);
    const int frames = differing + int{storeFirst} + int{storeLast};
    if (frames == 0) return 0;
    return state.sendHoldoff + 1 + kTicksPerFrame * (frames - 1);
}
