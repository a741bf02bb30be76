// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/Supervision.h"

#include <cstdio>

#include "link/StoredSet.h"

namespace {
using Status = WindowOps::LinkStatus;
constexpr std::uint8_t kSilenceLimit = 10;
constexpr std::uint32_t kPhaseMs = 200;
constexpr std::uint32_t kPhases = 5;
constexpr std::uint32_t kMsPerSecond = 1'000;

// The link is back with a controller whose values are not those the panel
// was made for: a store asked of the other one is not carried over, and the
// user chooses before anything is sent.
void HoldForChoice(LinkState& state, WindowOps& window, ParamMask differing) {
    state.DropPendingStore();
    state.choicePending = true;
    window.AskAboutOtherController(differing);
}

void DeclareLinkUp(LinkState& state, PanelParams& panelParams, WindowOps& window,
                   std::uint32_t now) {
    state.linkUp = true;
    state.linkUpTick = now;
    window.ShowStatusColour(WindowOps::StatusColour::LinkUp);
    if (!state.panelLoaded) {
        LoadPanelFromController(state, panelParams, window);
    } else if (!state.choicePending) {
        const ParamMask differing = ParamsOfAnotherController(state, panelParams);
        if (differing != 0) HoldForChoice(state, window, differing);
    }
    if (!state.choicePending) window.EnableEditing();
}

// Every link-up waits until each parameter was reported twice alike: a frame
// misread on the line rarely repeats itself, and the values decide whether
// the panel is loaded, or whether this is the controller it was made for.
bool ReadyToComeUp(const LinkState& state) {
    if (state.receivedMask != kAllIndicesSeen) return false;
    return state.linkUp || state.confirmedMask == kAllIndicesSeen;
}
}  // namespace

void LoadPanelFromController(LinkState& state, PanelParams& panelParams, WindowOps& window) {
    state.panelLoaded = true;
    state.choicePending = false;
    // The panel is filled before the spins move, so their change
    // notifications store the same values and nothing is sent.
    for (int k = 0; k < kParamCount; ++k) panelParams[k] = state.deviceParams[k];
    RememberStoredSet(state);
    for (int k = 0; k < kParamCount; ++k) window.ShowParameter(k, state.deviceParams[k]);
}

void ChooseControllerValues(LinkState& state, PanelParams& panelParams, WindowOps& window) {
    if (!state.choicePending) return;
    state.DropPendingStore();
    LoadPanelFromController(state, panelParams, window);
    if (state.linkUp) window.EnableEditing();
}

void ChoosePanelValues(LinkState& state, WindowOps& window) {
    if (!state.choicePending) return;
    state.choicePending = false;
    // What it stored is what it reported when it came.
    RememberStoredSet(state);
    if (state.linkUp) window.EnableEditing();
}

void DeclareLinkLost(LinkState& state, WindowOps& window) {
    state.ResetForLinkLoss();
    window.DisableEditing();
    window.ClearLiveDisplay(!state.panelLoaded);
    window.ShowLinkStatus(Status::Waiting, kTextWaiting);
}

std::string AnimationText(std::uint32_t now) {
    const std::uint32_t phase = (now / kPhaseMs) % kPhases;
    return "COM OK" + std::string(phase + 1, '.');
}

std::string ConnectionTimeText(std::uint64_t elapsedMs) {
    const std::uint64_t seconds = elapsedMs / kMsPerSecond;
    char text[48];
    std::snprintf(text, sizeof text, "Time:%02llu:%02llu",
                  static_cast<unsigned long long>(seconds / 60),
                  static_cast<unsigned long long>(seconds % 60));
    return text;
}

std::string PortErrorText(int port) {
    return "COM" + std::to_string(port) + "端口打开失败!";
}

void SupervisionTick(LinkState& state, PanelParams& panelParams, WindowOps& window,
                     const TickSource& readTickCount) {
    if (state.portError != 0) {
        const std::string text = PortErrorText(state.portError);
        // Cleared before the box, so ticks nested in its loop open no second one.
        state.portError = 0;
        window.ShowErrorBox(text, kPortErrorCaption);
    }
    const std::uint32_t now = readTickCount();
    if (!ReadyToComeUp(state)) {
        window.ShowConnectionTime(kTextNoTime);
        return;
    }
    if (!state.linkUp) DeclareLinkUp(state, panelParams, window, now);

    const std::uint8_t old = state.silenceTicks;
    state.silenceTicks = static_cast<std::uint8_t>(old + 1);
    if (old > kSilenceLimit) {
        DeclareLinkLost(state, window);
    } else {
        window.ShowLinkStatus(Status::Up, AnimationText(now));
    }
    // The tick count wraps: the difference is taken in its own 32 bits.
    const std::uint32_t elapsed = now - state.linkUpTick;
    window.ShowConnectionTime(ConnectionTimeText(elapsed));
}
