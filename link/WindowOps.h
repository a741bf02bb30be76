// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <string>

#include "domain/Calibration.h"

// What the link asks of the calibration window, in the link's own terms; the
// window decides which controls, colours and texts that means.
class WindowOps {
public:
    virtual ~WindowOps() = default;

    // In the domain's own terms, under the names the link's users know.
    using Readouts = ::Readouts;
    using LambdaBand = ::LambdaBand;

    // Where the link stands, as the status pane says it.
    enum class LinkStatus { Searching, Waiting, Stopped, OpenFailed, Up };
    // What the colour of the status bar tells.
    enum class StatusColour { NoLink, LinkUp, FrameSent };
    // The choice marked in the port menu: the search, offline, or COM1..COM16.
    struct PortChoice {
        enum class Kind { Auto, Offline, Port } kind = Kind::Auto;
        int port = 0;  // Port only
        bool operator==(const PortChoice&) const = default;
    };

    // The spins, the Write button and File > Open and Save go off or on.
    virtual void DisableEditing() = 0;
    virtual void EnableEditing() = 0;
    // Readouts blank, bars empty, markers hidden, the no-link colour; the
    // parameters go back to 0 only when asked (the panel was not loaded).
    virtual void ClearLiveDisplay(bool resetParameters) = 0;

    virtual void ShowLinkStatus(LinkStatus status, const std::string& text) = 0;
    virtual void ShowConnectionTime(const std::string& text) = 0;
    virtual void ShowStatusColour(StatusColour colour) = 0;

    // The spin of parameter k shows the value; its edit follows and the
    // panel takes the value through the edit's change notification.
    virtual void ShowParameter(int k, int value) = 0;

    virtual void ShowReadouts(const Readouts& readouts) = 0;
    virtual void ShowLambdaBand(LambdaBand band) = 0;
    // The marker under parameter k's edit, and no other.
    virtual void ShowCellMarker(int k) = 0;

    // Modal stop-icon box; timers and received bytes go on while it is open.
    virtual void ShowErrorBox(const std::string& text, const std::string& caption) = 0;

    virtual void MarkPortChoice(PortChoice choice) = 0;

    // The link came back with a controller whose values differ from the
    // stored set on these parameters (bit k for parameter k) although they
    // hold no unstored change: the user is to choose which values to keep.
    // Nothing is sent until then; the link and its display go on.
    virtual void AskAboutOtherController(std::uint16_t differing) = 0;

    // A command frame has gone out, so a record of the session can say which
    // change came before what. A window that keeps no record ignores them.
    virtual void NoteParameterSent(int /*index*/, int /*value*/) {}
    virtual void NoteStoreSent() {}
    // The link has come up, or gone down, whatever made it.
    virtual void NoteLinkUp(bool /*up*/) {}
};
