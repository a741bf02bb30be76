// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "link/LinkState.h"
#include "link/StatusTexts.h"
#include "link/WindowOps.h"

// The millisecond tick count, a wrapping 32-bit counter. Read only after a
// pending error box has closed, so a tick never sees a link-up time later than
// its own "now".
using TickSource = std::function<std::uint32_t()>;

// The 200 ms heartbeat: reports a port-open failure, declares the link up
// (loading the panel once per connection) and lost (12th silent tick), and
// writes the status panes.
void SupervisionTick(LinkState& state, PanelParams& panelParams, WindowOps& window,
                     const TickSource& readTickCount);

// The panel takes the controller's values, which become the stored set.
void LoadPanelFromController(LinkState& state, PanelParams& panelParams, WindowOps& window);

// The user's answer when the link came back with another controller: load its
// values into the panel (a store asked before is dropped), or send the panel's
// values to it, which then are unstored there. Each ends the hold on sending.
void ChooseControllerValues(LinkState& state, PanelParams& panelParams, WindowOps& window);
void ChoosePanelValues(LinkState& state, WindowOps& window);

// The link is gone (silence, or the device itself went away): editing off,
// the live display cleared, "COM Waiting...".
void DeclareLinkLost(LinkState& state, WindowOps& window);

// "COM OK." with one to five dots, one phase per 200 ms of the tick count.
std::string AnimationText(std::uint32_t now);
// "Time:mm:ss" of a connection; minutes are not reduced. Wide enough for a
// replay's position in a log of any length.
std::string ConnectionTimeText(std::uint64_t elapsedMs);
std::string PortErrorText(int port);
