// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <functional>

#include "link/CommChannel.h"
#include "link/LinkState.h"
#include "link/StatusTexts.h"
#include "link/WindowOps.h"

// Starts a new search worker; nothing waits for it.
using ProbeLauncher = std::function<void()>;

// COM8 alone checks whether its open took the device.
inline constexpr int kCheckedPort = 8;

// Resets the link for a search, shows "COM Searching..." and starts a worker.
void LaunchSearch(LinkState& state, WindowOps& window, const ProbeLauncher& launchProbe);

// Port > AUTO.
void StartAutoSearch(LinkState& state, WindowOps& window, const ProbeLauncher& launchProbe);
// Port > OFFLINE.
void GoOffline(LinkState& state, WindowOps& window, CommChannel& channel);
// Port > COM1..COM16. A port that cannot be opened shows "COM Open Failed!";
// COM8 alone also reports it in a box.
void SelectPort(LinkState& state, WindowOps& window, CommChannel& channel, int port);

// A search worker found a controller on this port. A find made while OFFLINE
// was being chosen is dropped: offline means offline.
void NoteFoundPort(LinkState& state, int port);

// Start of every 100 ms send tick: opens the port the worker found, or records
// a port-open failure when a port is already open; a find made before OFFLINE
// is dropped. The find is taken before
// the channel is looked at, so it is reported or opened once.
void TakeOverFoundPort(LinkState& state, CommChannel& channel);
