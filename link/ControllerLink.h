// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <span>

#include "link/CommChannel.h"
#include "link/FrameReader.h"
#include "link/LinkHealth.h"
#include "link/LinkState.h"
#include "link/PortCommands.h"
#include "link/Supervision.h"
#include "link/TickCount.h"
#include "link/WindowOps.h"

// The link to one controller: the link record and the panel's values, both
// its own, the reader that finds frames in the received bytes, and the
// link's operations, each run for one event: bytes received, a tick of either
// timer, a find of the search, a port command, a change of the panel, Write.
// What happens is told to the observer, in the link's own terms.
//
// Path of a frame: channel bytes -> OnBytesReceived -> FrameReader -> stored
// in the record -> readouts told to the observer. Path of a change:
// SetPanelValue -> OnSendTick -> a paced command frame on the channel.
class ControllerLink : private WindowOps {
public:
    ControllerLink(WindowOps& observer, CommChannel& channel, TickSource readTickCount,
                   ProbeLauncher launchProbe);

    // What the link knows; read only.
    const LinkState& Record() const { return state_; }
    const PanelParams& Panel() const { return panel_; }
    std::int32_t PanelValue(int k) const { return panel_.at(static_cast<std::size_t>(k)); }
    bool IsUp() const { return state_.linkUp; }
    // The parameters whose panel value the controller has not stored.
    ParamMask Unstored() const;
    // Every value the panel shows is echoed and no store waits.
    bool PanelStored() const;
    // Send ticks until every frame now due has gone out.
    int TicksUntilSent() const;
    const FrameReader& Reader() const { return reader_; }
    // How the link fares, counted as it goes.
    const LinkHealth& Health() const { return health_; }

    // A value of the panel, as the user (or a file, or a restore) chose it;
    // refused, and false, for a parameter or a value out of range. The send
    // scheduler takes it to the controller.
    bool SetPanelValue(int k, std::int32_t value);

    // A port was opened: a new byte stream begins.
    void OnPortOpened(FrameReader::Micros at);
    void OnBytesReceived(std::span<const std::uint8_t> bytes, FrameReader::Micros arrival);
    // Timer 100, every 200 ms.
    void OnSupervisionTick();
    // Timer 101, every 100 ms: the take-over of a found port, then sending;
    // `now` on the clock of the arrival times, for the echo latency.
    void OnSendTick(FrameReader::Micros now = SteadyMicros());
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
    void DropPendingStore() { state_.DropPendingStore(); }

    // The answer when the link came back with another controller.
    void ChooseControllerValues();
    void ChoosePanelValues();

private:
    // Runs one operation and tells the observer when the link came up or
    // went down on the way; a way down counts as lost unless the user chose it.
    template <typename Operation>
    void Run(Operation&& operation, bool downIsLoss = false);

    // What the protocol's operations ask, passed on to the observer; the
    // panel goes back to 0 where the display is cleared with it.
    void DisableEditing() override;
    void EnableEditing() override;
    void ClearLiveDisplay(bool resetParameters) override;
    void ShowLinkStatus(LinkStatus status, const std::string& text) override;
    void ShowConnectionTime(const std::string& text) override;
    void ShowStatusColour(StatusColour colour) override;
    void ShowParameter(int k, int value) override;
    void ShowReadouts(const Readouts& readouts) override;
    void ShowLambdaBand(LambdaBand band) override;
    void ShowCellMarker(int k) override;
    void ShowErrorBox(const std::string& text, const std::string& caption) override;
    void MarkPortChoice(PortChoice choice) override;
    void AskAboutOtherController(std::uint16_t differing) override;
    void NoteParameterSent(int index, int value) override;
    void NoteStoreSent() override;
    void NoteLinkUp(bool up) override;

    WindowOps& observer_;
    CommChannel& channel_;
    TickSource readTickCount_;
    ProbeLauncher launchProbe_;
    LinkState state_;
    PanelParams panel_{};
    FrameReader reader_;
    LinkHealth health_;
    // When the send tick under way began.
    FrameReader::Micros sendTickAt_ = 0;
};
