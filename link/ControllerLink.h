// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <span>

#include "link/CommChannel.h"
#include "link/FrameReader.h"
#include "link/LinkState.h"
#include "link/PortCommands.h"
#include "link/Supervision.h"
#include "link/WindowOps.h"

// The link to the controller as one window owns it: the link record, the
// reader that finds frames in the received bytes, and the link's operations,
// each run on the window's thread for one event: bytes received, a tick of
// either timer, a find of the search, a port command, the Write button.
//
// Path of a frame: channel bytes -> OnBytesReceived -> FrameReader -> stored
// in the record -> readouts shown through WindowOps. Path of a change: the
// window's panel -> OnSendTick -> a paced command frame on the channel.
class ControllerLink {
public:
    ControllerLink(WindowOps& window, CommChannel& channel, PanelParams& panel,
                   TickSource readTickCount, ProbeLauncher launchProbe);

    LinkState& State() { return state_; }
    const LinkState& State() const { return state_; }
    const FrameReader& Reader() const { return reader_; }

    // A port was opened: a new byte stream begins.
    void OnPortOpened(FrameReader::Micros at);
    void OnBytesReceived(std::span<const std::uint8_t> bytes, FrameReader::Micros arrival);
    // Timer 100, every 200 ms.
    void OnSupervisionTick();
    // Timer 101, every 100 ms: the take-over of a found port, then sending.
    void OnSendTick();
    void OnPortFound(int port);
    // The channel's device went away: the link ends at once.
    void OnDeviceGone();

    void LaunchSearch();
    void StartAutoSearch();
    void GoOffline();
    void SelectPort(int port);
    void RequestWrite();
    // A store of what the panel shows, after the values still to be sent.
    void RequestStoreOfPanel();
    int TicksUntilSent() const;
    // Every value the panel shows is echoed and no store waits.
    bool PanelStored() const;
    void DropPendingStore() { state_.DropPendingStore(); }

    // The answer when the link came back with another controller.
    void ChooseControllerValues();
    void ChoosePanelValues();

private:
    WindowOps& window_;
    CommChannel& channel_;
    PanelParams& panel_;
    TickSource readTickCount_;
    ProbeLauncher launchProbe_;
    LinkState state_;
    FrameReader reader_;
};
