#pragma once

#include <cstdint>
#include <functional>

#include "CommChannel.h"
#include "LinkState.h"
#include "StatusTexts.h"
#include "WindowOps.h"

// Starts a new discovery worker; nothing waits for it.
using ProbeLauncher = std::function<void()>;

inline constexpr int kAutoPosition = 0;
inline constexpr int kOfflinePosition = 1;
// COMn sits at position n + 2, after AUTO, OFFLINE and the separator.
constexpr int PortMenuPosition(int port) {
    return port + 2;
}

// COM8 alone checks whether its open took the device.
inline constexpr int kCheckedPort = 8;

// Resets the link for a search, shows "COM Searching..." and starts a worker.
void LaunchSearch(LinkState& state, WindowOps& window, const ProbeLauncher& launchProbe);

// Port > AUTO.
void StartAutoSearch(LinkState& state, WindowOps& window, const ProbeLauncher& launchProbe);
// Port > OFFLINE.
void GoOffline(LinkState& state, WindowOps& window, CommChannel& channel);
// Port > COM1..COM16.
void SelectPort(LinkState& state, WindowOps& window, CommChannel& channel, int port);

// Start of every 100 ms send tick: opens the port the worker found, or records
// a port-open failure when a port is already open.
void TakeOverFoundPort(LinkState& state, CommChannel& channel);
