// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "link/StoredSet.h"

#include <algorithm>
#include <bit>

namespace {

ParamMask Bit(int k) {
    return static_cast<ParamMask>(1U << k);
}
}  // namespace

void RememberStoredSet(LinkState& state) {
    for (int k = 0; k < kParamCount; ++k) state.storedParams[k] = state.deviceParams[k];
}

ParamMask UnstoredParams(const LinkState& state, const PanelParams& panel) {
    if (!state.panelLoaded) return 0;
    ParamMask unstored = 0;
    for (int k = 0; k < kParamCount; ++k) {
        if (panel[k] != static_cast<std::int32_t>(state.storedParams[k])) unstored |= Bit(k);
    }
    return unstored;
}

ParamMask ParamsOfAnotherController(const LinkState& state, const PanelParams& panel) {
    ParamMask differing = 0;
    for (int k = 0; k < kParamCount; ++k) {
        const std::int32_t stored = state.storedParams[k];
        if (panel[k] == stored && state.deviceParams[k] != stored) differing |= Bit(k);
    }
    return differing;
}

int CountParams(ParamMask mask) {
    return std::popcount(mask);
}

bool IsWhole(const UnstoredRecord& record) {
    const auto inRange = [](std::int32_t value) {
        return value >= kLowestValue && value <= kHighestValue;
    };
    return std::all_of(record.panel.begin(), record.panel.end(), inRange) &&
           std::all_of(record.stored.begin(), record.stored.end(), inRange);
}

bool MadeOnThisController(const UnstoredRecord& record, const PanelParams& loadedPanel) {
    for (int k = 0; k < kParamCount; ++k) {
        const bool wasUnstored = record.panel[k] != record.stored[k];
        if (!wasUnstored && record.stored[k] != loadedPanel[k]) return false;
    }
    return true;
}

ParamMask ParamsToRestore(const UnstoredRecord& record, const PanelParams& loadedPanel) {
    ParamMask restore = 0;
    for (int k = 0; k < kParamCount; ++k) {
        const bool wasUnstored = record.panel[k] != record.stored[k];
        if (wasUnstored && record.panel[k] != loadedPanel[k]) restore |= Bit(k);
    }
    return restore;
}
