// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>
#include <string>

#include "link/LinkState.h"
#include "link/Supervision.h"
#include "tests/support/RecordingWindow.h"

// The record, the panel and a recording window, with the tick count as a plain
// value the test sets before each supervision tick.
struct SupervisionRig {
    LinkState state;
    PanelParams panel{};
    RecordingWindow window;
    std::uint32_t now = 0;
    // Adds "ReadTickCount" to the window's calls when the tick reads the time.
    bool noteTickRead = false;

    void Tick() {
        SupervisionTick(state, panel, window, [this] {
            if (noteTickRead) window.Note("ReadTickCount");
            return now;
        });
    }

    // The link as it is between ticks once it is up and the panel was loaded.
    void MakeUp(std::uint32_t upTick) {
        state.receivedMask = kAllIndicesSeen;
        state.linkUp = true;
        state.panelLoaded = true;
        state.linkUpTick = upTick;
        state.silenceTicks = 0;
    }
};
