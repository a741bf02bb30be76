#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "WindowOps.h"

// A window that only remembers what it was asked to do, in order, as readable
// entries such as "SetPaneText(1, COM OK.)". The last value set per control is
// kept too, for tests that only care about the end result.
class RecordingWindow : public WindowOps {
public:
    std::vector<std::string> calls;
    // Runs after each call has been recorded; lets a test look at the state at
    // that very moment or run nested work (a modal box's timers).
    std::function<void(const std::string&)> onCall;
    // Another log that gets the same entries, to interleave with other fakes.
    std::vector<std::string>* journal = nullptr;

    std::map<int, std::string> texts;
    std::map<int, int> bars;
    std::map<int, Colour> barColours;
    std::map<int, bool> visible;
    std::map<int, std::string> panes;
    std::map<int, int> spins;

    static std::string ColourText(Colour colour) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(colour));
        return text;
    }

    void Clear() { calls.clear(); }

    void DisableEditing() override { Record("DisableEditing()"); }
    void EnableEditing() override { Record("EnableEditing()"); }
    void ClearLiveDisplay() override { Record("ClearLiveDisplay()"); }
    void SetPaneText(int pane, const std::string& text) override {
        panes[pane] = text;
        Record("SetPaneText(" + std::to_string(pane) + ", " + text + ")");
    }
    void SetStatusColour(Colour colour) override {
        Record("SetStatusColour(" + ColourText(colour) + ")");
    }
    void SetSpinPosition(int k, int position) override {
        spins[k] = position;
        Record("SetSpinPosition(" + std::to_string(k) + ", " + std::to_string(position) + ")");
    }
    void SetControlText(int controlId, const std::string& text) override {
        texts[controlId] = text;
        Record("SetControlText(" + std::to_string(controlId) + ", " + text + ")");
    }
    void SetBarPosition(int controlId, int position) override {
        bars[controlId] = position;
        Record("SetBarPosition(" + std::to_string(controlId) + ", " + std::to_string(position) +
               ")");
    }
    void SetBarColour(int controlId, Colour colour) override {
        barColours[controlId] = colour;
        Record("SetBarColour(" + std::to_string(controlId) + ", " + ColourText(colour) + ")");
    }
    void SetControlVisible(int controlId, bool isVisible) override {
        visible[controlId] = isVisible;
        Record("SetControlVisible(" + std::to_string(controlId) + ", " + (isVisible ? "1" : "0") +
               ")");
    }
    void ShowErrorBox(const std::string& text, const std::string& caption) override {
        Record("ShowErrorBox(" + text + ", " + caption + ")");
    }
    void SetPortRadioMark(int position) override {
        Record("SetPortRadioMark(" + std::to_string(position) + ")");
    }

    // Entries made by a test itself (e.g. the tick source being read).
    void Note(const std::string& entry) { Record(entry); }

private:
    void Record(const std::string& entry) {
        calls.push_back(entry);
        if (journal != nullptr) journal->push_back(entry);
        if (onCall) onCall(entry);
    }
};
