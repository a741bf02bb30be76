// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstdint>
#include <ostream>

#include "link/LinkState.h"

// Every field of a LinkState as plain values, so whole records can be compared
// (the stop flag of the search is shared, not copied, by a LinkState).
struct LinkSnapshot {
    std::array<std::uint8_t, 17> deviceParams{};
    std::uint16_t receivedMask = 0;
    std::uint16_t confirmedMask = 0;
    std::uint8_t silenceTicks = 0;
    bool linkUp = false;
    std::uint32_t linkUpTick = 0;
    bool panelLoaded = false;
    std::array<std::uint8_t, kParamCount> storedParams{};
    bool writeRequested = false;
    std::uint16_t unechoedMask = 0;
    bool choicePending = false;
    bool followUpStore = false;
    std::uint8_t sendHoldoff = 0;
    std::uint8_t portError = 0;
    bool probeFound = false;
    std::int16_t probePort = 0;
    bool probeStop = false;
    LambdaBand lambdaBand = LambdaBand::Middle;
    std::int32_t cellIndex = 0;
    std::int32_t petrolRaw = 0;
    std::int32_t lambdaRaw = 0;
    std::int32_t gasTimeUs = 0;

    bool operator==(const LinkSnapshot&) const = default;
};

inline LinkSnapshot TakeSnapshot(const LinkState& s) {
    LinkSnapshot snap;
    snap.deviceParams = s.deviceParams;
    snap.receivedMask = s.receivedMask;
    snap.confirmedMask = s.confirmedMask;
    snap.silenceTicks = s.silenceTicks;
    snap.linkUp = s.linkUp;
    snap.linkUpTick = s.linkUpTick;
    snap.panelLoaded = s.panelLoaded;
    snap.storedParams = s.storedParams;
    snap.writeRequested = s.writeRequested;
    snap.unechoedMask = s.unechoedMask;
    snap.choicePending = s.choicePending;
    snap.followUpStore = s.followUpStore;
    snap.sendHoldoff = s.sendHoldoff;
    snap.portError = s.portError;
    snap.probeFound = s.probeFound;
    snap.probePort = s.probePort;
    snap.probeStop = s.probeStop->load();
    snap.lambdaBand = s.lambdaBand;
    snap.cellIndex = s.cellIndex;
    snap.petrolRaw = s.petrolRaw;
    snap.lambdaRaw = s.lambdaRaw;
    snap.gasTimeUs = s.gasTimeUs;
    return snap;
}

// Gives every field a distinct non-zero value (deviceParams[16] included, which
// nothing in the program writes), so any field a call touches shows up.
inline void FillEveryField(LinkState& s) {
    for (std::size_t i = 0; i < s.deviceParams.size(); ++i) {
        s.deviceParams[i] = static_cast<std::uint8_t>(200 + i);
    }
    s.receivedMask = 0x5A5A;
    s.confirmedMask = 0x1818;
    s.silenceTicks = 7;
    s.linkUp = true;
    s.linkUpTick = 123456;
    s.panelLoaded = true;
    s.storedParams.fill(77);
    s.writeRequested = true;
    s.unechoedMask = 0x0240;
    s.choicePending = true;
    s.followUpStore = true;
    s.sendHoldoff = 2;
    s.portError = 9;
    s.probeFound = true;
    s.probePort = 17;
    s.probeStop->store(true);
    s.lambdaBand = LambdaBand::High;
    s.cellIndex = 11;
    s.petrolRaw = 3000;
    s.lambdaRaw = 40000;
    s.gasTimeUs = 12345;
}

inline std::ostream& operator<<(std::ostream& os, const LinkSnapshot& s) {
    os << "{deviceParams:";
    for (auto p : s.deviceParams) os << ' ' << static_cast<int>(p);
    os << "; receivedMask " << s.receivedMask << ", confirmedMask " << s.confirmedMask
       << ", silenceTicks " << int{s.silenceTicks} << ", linkUp " << s.linkUp << ", linkUpTick "
       << s.linkUpTick << ", panelLoaded " << s.panelLoaded << ", storedParams";
    for (auto p : s.storedParams) os << ' ' << static_cast<int>(p);
    os << ", writeRequested " << s.writeRequested << ", unechoedMask " << s.unechoedMask
       << ", choicePending " << s.choicePending << ", followUpStore " << s.followUpStore
       << ", sendHoldoff " << int{s.sendHoldoff} << ", portError " << int{s.portError}
       << ", probeFound " << s.probeFound << ", probePort " << s.probePort << ", probeStop "
       << s.probeStop << ", lambdaBand " << static_cast<int>(s.lambdaBand) << ", cellIndex "
       << s.cellIndex << ", petrolRaw " << s.petrolRaw << ", lambdaRaw " << s.lambdaRaw
       << ", gasTimeUs " << s.gasTimeUs << '}';
    return os;
}
