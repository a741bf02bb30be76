// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/WindowOps.h"

// A window that only remembers what the link asked of it, in order, as
// entries in the link's own terms such as "ShowLinkStatus(Up, COM OK.)". The
// last value of each kind is kept too, for tests that only care about the
// end result.
class RecordingWindow : public WindowOps {
public:
    std::vector<std::string> calls;
    // Runs after each call has been recorded; lets a test look at the state at
    // that very moment or run nested work (a modal box's timers).
    std::function<void(const std::string&)> onCall;
    // Another log that gets the same entries, to interleave with other fakes.
    std::vector<std::string>* journal = nullptr;

    Readouts readouts;
    int readoutsShown = 0;
    std::string linkStatus;
    std::string connectionTime;
    std::map<int, int> parameters;
    int marker = -1;
    LambdaBand band = LambdaBand::Middle;
    bool editing = false;
    // The parameters named by the last question about another controller.
    std::uint16_t otherControllerParams = 0;
    // What was noted for a record of the session ("NoteParameterSent(3, 128)",
    // "NoteStoreSent()"), kept apart from calls.
    std::vector<std::string> notes;

    static std::string Name(LinkStatus status);
    static std::string Name(StatusColour colour);
    static std::string Name(LambdaBand band);
    static std::string Name(PortChoice choice);

    void Clear() { calls.clear(); }

    void DisableEditing() override;
    void EnableEditing() override;
    void ClearLiveDisplay(bool resetParameters) override;
    void ShowLinkStatus(LinkStatus status, const std::string& text) override;
    void ShowConnectionTime(const std::string& text) override;
    void ShowStatusColour(StatusColour colour) override;
    void ShowParameter(int k, int value) override;
    void ShowReadouts(const Readouts& shown) override;
    void ShowLambdaBand(LambdaBand shown) override;
    void ShowCellMarker(int k) override;
    void ShowErrorBox(const std::string& text, const std::string& caption) override;
    void MarkPortChoice(PortChoice choice) override;
    void AskAboutOtherController(std::uint16_t differing) override;
    void NoteLinkUp(bool up) override;
    void NoteParameterSent(int index, int value) override;
    void NoteStoreSent() override;

    // Entries made by a test itself (e.g. the tick source being read).
    void Note(const std::string& entry) { Record(entry); }

private:
    void Record(const std::string& entry);
};
