#include "LinkState.h"

#include <type_traits>

static_assert(std::is_trivially_destructible_v<LinkState>);

constinit LinkState linkState;

void LinkState::ResetForSearch() {
    receivedMask = 0;
    confirmedMask = 0;
    silenceTicks = 0;
    linkUp = false;
    panelLoaded = false;
    portError = 0;
    probeFound.store(false, std::memory_order_release);
    probeStop.store(false, std::memory_order_release);
}

void LinkState::ResetForPortChange() {
    receivedMask = 0;
    confirmedMask = 0;
    linkUp = false;
    panelLoaded = false;
}

void LinkState::ResetForOffline() {
    receivedMask = 0;
    confirmedMask = 0;
    linkUp = false;
}

void LinkState::ResetForLinkLoss() {
    receivedMask = 0;
    confirmedMask = 0;
    silenceTicks = 0;
    linkUp = false;
}

void LinkState::DropPendingStore() {
    writeRequested = false;
    followUpStore = false;
}
