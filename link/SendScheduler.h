// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>

#include "link/CommChannel.h"
#include "link/LinkState.h"
#include "link/WindowOps.h"

// Writes one command frame and holds further sending off for two ticks;
// false, with nothing recorded, when the frame did not reach the line.
bool SendFrame(LinkState& state, WindowOps& window, CommChannel& channel, std::int32_t index,
               std::int32_t value);

// One 100 ms tick of sending: while the link is up, at most one frame every
// third tick; a pending store first, else the lowest parameter that differs.
void SendTick(LinkState& state, const PanelParams& panelParams, WindowOps& window,
              CommChannel& channel);

// The Write button.
void RequestWrite(LinkState& state);

// A store that keeps what the panel shows: it follows the values still
// waiting to be sent and their echoes, or goes out at the next free tick when
// none waits.
void RequestStoreOfPanel(LinkState& state, const PanelParams& panelParams);

// No store is waiting, and the controller has echoed every value the panel
// shows: what was asked to be stored has been.
bool PanelStored(const LinkState& state, const PanelParams& panelParams);

// Send ticks, this one included, until every frame now due has gone out,
// while the link stays up and no echo takes a value back.
int TicksUntilSent(const LinkState& state, const PanelParams& panelParams);
