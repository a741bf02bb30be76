#pragma once

#include <string>

#include "Colours.h"

// What the link logic asks of the calibration window. The window implements it;
// tests record the calls.
class WindowOps {
public:
    virtual ~WindowOps() = default;

    virtual void DisableEditing() = 0;
    virtual void EnableEditing() = 0;
    virtual void ClearLiveDisplay() = 0;

    // Status bar: pane 1 is the link status, pane 2 the connection time.
    virtual void SetPaneText(int pane, const std::string& text) = 0;
    virtual void SetStatusColour(Colour colour) = 0;

    // Moves spin k; its edit follows and raises the change notification.
    virtual void SetSpinPosition(int k, int position) = 0;

    virtual void SetControlText(int controlId, const std::string& text) = 0;
    virtual void SetBarPosition(int controlId, int position) = 0;
    virtual void SetBarColour(int controlId, Colour colour) = 0;
    virtual void SetControlVisible(int controlId, bool visible) = 0;

    // Modal stop-icon box; timers and the receive event go on while it is open.
    virtual void ShowErrorBox(const std::string& text, const std::string& caption) = 0;

    // Radio mark in the port submenu, by position.
    virtual void SetPortRadioMark(int position) = 0;
};

inline constexpr int kStatusPane = 1;
inline constexpr int kTimePane = 2;
