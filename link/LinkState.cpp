// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/LinkState.h"

void LinkState::ResetForSearch() {
    receivedMask = 0;
    confirmedMask = 0;
    unechoedMask = 0;
    silenceTicks = 0;
    linkUp = false;
    panelLoaded = false;
    choicePending = false;
    portError = 0;
    probeFound = false;
    probeStop->store(false, std::memory_order_release);
}

void LinkState::ResetForPortChange() {
    receivedMask = 0;
    confirmedMask = 0;
    unechoedMask = 0;
    linkUp = false;
    panelLoaded = false;
    choicePending = false;
}

void LinkState::ResetForOffline() {
    receivedMask = 0;
    confirmedMask = 0;
    unechoedMask = 0;
    linkUp = false;
}

void LinkState::ResetForLinkLoss() {
    receivedMask = 0;
    confirmedMask = 0;
    unechoedMask = 0;
    silenceTicks = 0;
    linkUp = false;
}

void LinkState::DropPendingStore() {
    writeRequested = false;
    followUpStore = false;
}
