// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "tests/support/RecordingWindow.h"

std::string RecordingWindow::Name(LinkStatus status) {
    switch (status) {
        case LinkStatus::Searching:
            return "Searching";
        case LinkStatus::Waiting:
            return "Waiting";
        case LinkStatus::Stopped:
            return "Stopped";
        case LinkStatus::OpenFailed:
            return "OpenFailed";
        case LinkStatus::Up:
            return "Up";
    }
    return "?";
}

std::string RecordingWindow::Name(StatusColour colour) {
    switch (colour) {
        case StatusColour::NoLink:
            return "NoLink";
        case StatusColour::LinkUp:
            return "LinkUp";
        case StatusColour::FrameSent:
            return "FrameSent";
    }
    return "?";
}

std::string RecordingWindow::Name(LambdaBand shown) {
    switch (shown) {
        case LambdaBand::Middle:
            return "Middle";
        case LambdaBand::Low:
            return "Low";
        case LambdaBand::High:
            return "High";
    }
    return "?";
}

std::string RecordingWindow::Name(PortChoice choice) {
    switch (choice.kind) {
        case PortChoice::Kind::Auto:
            return "AUTO";
        case PortChoice::Kind::Offline:
            return "OFFLINE";
        case PortChoice::Kind::Port:
            break;
    }
    return "COM" + std::to_string(choice.port);
}

void RecordingWindow::DisableEditing() {
    editing = false;
    Record("DisableEditing()");
}

void RecordingWindow::EnableEditing() {
    editing = true;
    Record("EnableEditing()");
}

void RecordingWindow::ClearLiveDisplay(bool resetParameters) {
    readouts = {};
    marker = -1;
    if (resetParameters) {
        for (int k = 0; k < 16; ++k) parameters[k] = 0;
    }
    Record(resetParameters ? "ClearLiveDisplay(reset)" : "ClearLiveDisplay(keep)");
}

void RecordingWindow::ShowLinkStatus(LinkStatus status, const std::string& text) {
    linkStatus = text;
    Record("ShowLinkStatus(" + Name(status) + ", " + text + ")");
}

void RecordingWindow::ShowConnectionTime(const std::string& text) {
    connectionTime = text;
    Record("ShowConnectionTime(" + text + ")");
}

void RecordingWindow::ShowStatusColour(StatusColour colour) {
    Record("ShowStatusColour(" + Name(colour) + ")");
}

void RecordingWindow::ShowParameter(int k, int value) {
    parameters[k] = value;
    Record("ShowParameter(" + std::to_string(k) + ", " + std::to_string(value) + ")");
}

void RecordingWindow::ShowReadouts(const Readouts& shown) {
    readouts = shown;
    ++readoutsShown;
    Record("ShowReadouts(" + shown.petrolText + ", " + shown.gasText + ", " + shown.lambdaText +
           ")");
}

void RecordingWindow::ShowLambdaBand(LambdaBand shown) {
    band = shown;
    Record("ShowLambdaBand(" + Name(shown) + ")");
}

void RecordingWindow::ShowCellMarker(int k) {
    marker = k;
    Record("ShowCellMarker(" + std::to_string(k) + ")");
}

void RecordingWindow::ShowErrorBox(const std::string& text, const std::string& caption) {
    Record("ShowErrorBox(" + text + ", " + caption + ")");
}

void RecordingWindow::MarkPortChoice(PortChoice choice) {
    Record("MarkPortChoice(" + Name(choice) + ")");
}

void RecordingWindow::Record(const std::string& entry) {
    calls.push_back(entry);
    if (journal != nullptr) journal->push_back(entry);
    if (onCall) onCall(entry);
}

void RecordingWindow::AskAboutOtherController(std::uint16_t differing) {
    otherControllerParams = differing;
    Record("AskAboutOtherController(" + std::to_string(differing) + ")");
}

void RecordingWindow::NoteLinkUp(bool up) {
    Record(up ? "NoteLinkUp(up)" : "NoteLinkUp(down)");
}

void RecordingWindow::NoteParameterSent(int index, int value) {
    notes.push_back("NoteParameterSent(" + std::to_string(index) + ", " + std::to_string(value) +
                    ")");
}

void RecordingWindow::NoteStoreSent() {
    notes.push_back("NoteStoreSent()");
}
