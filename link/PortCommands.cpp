// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/PortCommands.h"

namespace {
using Choice = WindowOps::PortChoice;
using Status = WindowOps::LinkStatus;
}  // namespace

void LaunchSearch(LinkState& state, WindowOps& window, const ProbeLauncher& launchProbe) {
    state.ResetForSearch();
    window.ShowLinkStatus(Status::Searching, kTextSearching);
    launchProbe();
}

void StartAutoSearch(LinkState& state, WindowOps& window, const ProbeLauncher& launchProbe) {
    window.MarkPortChoice({Choice::Kind::Auto});
    state.DropPendingStore();
    LaunchSearch(state, window, launchProbe);
}

void GoOffline(LinkState& state, WindowOps& window, CommChannel& channel) {
    window.MarkPortChoice({Choice::Kind::Offline});
    state.DropPendingStore();
    state.probeStop->store(true, std::memory_order_release);
    // A find noted just before is dropped too: offline means offline.
    state.probeFound = false;
    window.ShowLinkStatus(Status::Stopped, kTextStop);
    if (channel.IsOpen()) channel.Close();
    state.ResetForOffline();
    window.DisableEditing();
    window.ClearLiveDisplay(!state.panelLoaded);
}

void SelectPort(LinkState& state, WindowOps& window, CommChannel& channel, int port) {
    window.MarkPortChoice({Choice::Kind::Port, port});
    state.DropPendingStore();
    window.DisableEditing();
    if (channel.IsOpen()) channel.Close();
    channel.SetPortNumber(static_cast<std::int16_t>(port));
    try {
        channel.Open();
    } catch (const ChannelError&) {
        // The port before is closed already: the link went with it.
        window.ShowLinkStatus(Status::OpenFailed, kTextOpenFailed);
        state.ResetForPortChange();
        window.ClearLiveDisplay(!state.panelLoaded);
        throw;
    }
    if (channel.DeviceHandle() == -1) {
        window.ShowLinkStatus(Status::OpenFailed, kTextOpenFailed);
        // COM8 alone goes on to report it in a box.
        if (port == kCheckedPort) state.portError = kCheckedPort;
    } else {
        window.ShowLinkStatus(Status::Waiting, kTextWaiting);
    }
    state.ResetForPortChange();
    window.ClearLiveDisplay(!state.panelLoaded);
}

void NoteFoundPort(LinkState& state, int port) {
    if (state.probeStop->load(std::memory_order_acquire)) return;
    state.probePort = static_cast<std::int16_t>(port);
    state.probeFound = true;
}

void TakeOverFoundPort(LinkState& state, CommChannel& channel) {
    if (!state.probeFound) return;
    if (state.probeStop->load(std::memory_order_acquire)) {
        state.probeFound = false;
        return;
    }
    const std::int16_t port = state.probePort;
    state.probeFound = false;
    channel.SetPortNumber(port);
    if (channel.IsOpen()) {
        state.portError = static_cast<std::uint8_t>(port);
        return;
    }
    channel.Open();
}
