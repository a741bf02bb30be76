#include "PortCommands.h"

void LaunchSearch(LinkState& state, WindowOps& window, const ProbeLauncher& launchProbe) {
    state.ResetForSearch();
    window.SetPaneText(kStatusPane, kTextSearching);
    launchProbe();
}

void StartAutoSearch(LinkState& state, WindowOps& window, const ProbeLauncher& launchProbe) {
    window.SetPortRadioMark(kAutoPosition);
    state.DropPendingStore();
    LaunchSearch(state, window, launchProbe);
}

void GoOffline(LinkState& state, WindowOps& window, CommChannel& channel) {
    window.SetPortRadioMark(kOfflinePosition);
    state.DropPendingStore();
    state.probeStop.store(true, std::memory_order_release);
    window.SetPaneText(kStatusPane, kTextStop);
    if (channel.IsOpen()) channel.Close();
    state.ResetForOffline();
    window.DisableEditing();
    window.ClearLiveDisplay();
}

void SelectPort(LinkState& state, WindowOps& window, CommChannel& channel, int port) {
    window.SetPortRadioMark(PortMenuPosition(port));
    state.DropPendingStore();
    window.DisableEditing();
    if (channel.IsOpen()) channel.Close();
    channel.SetPortNumber(static_cast<std::int16_t>(port));
    channel.Open();
    if (port == kCheckedPort && channel.DeviceHandle() == -1) {
        window.SetPaneText(kStatusPane, kTextOpenFailed);
        state.portError = kCheckedPort;
    } else {
        window.SetPaneText(kStatusPane, kTextWaiting);
    }
    state.ResetForPortChange();
    window.ClearLiveDisplay();
}

void TakeOverFoundPort(LinkState& state, CommChannel& channel) {
    if (!state.probeFound.load(std::memory_order_acquire)) return;
    const std::int16_t port = state.probePort.load(std::memory_order_relaxed);
    state.probeFound.store(false, std::memory_order_relaxed);
    channel.SetPortNumber(port);
    if (channel.IsOpen()) {
        state.portError = static_cast<std::uint8_t>(port);
        return;
    }
    channel.Open();
}
