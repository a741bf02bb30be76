// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <cstdint>

#include "link/LinkState.h"

// The stored set: the values the controller keeps over a power cycle, as far
// as the program can tell. A set-parameter frame changes only the
// controller's working copy; only the store frame keeps it. A freshly linked
// controller reports what it started with, so the values that load the panel
// are taken as stored; after each store frame, the values the controller held
// when it went out. A parameter whose panel value differs from its stored
// value is unstored: the controller forgets it when switched off.

// The panel has just been loaded from the controller, or a store frame has
// just gone out.
void RememberStoredSet(LinkState& state);

// The parameters whose panel value differs from the stored one. None while
// the panel does not come from the controller (before the first link-up,
// after AUTO or a port choice): nothing is known then about what it stored.
ParamMask UnstoredParams(const LinkState& state, const PanelParams& panel);
int CountParams(ParamMask mask);

// The stored set is the known controller's fingerprint: a controller that
// reports other values for parameters without an unstored change is another
// one (another car, or changed by another tool). These are the parameters
// whose reported values say so; none for the same controller, restarted or
// not, which may have forgotten only what was unstored.
ParamMask ParamsOfAnotherController(const LinkState& state, const PanelParams& panel);

// The panel and the stored set as an earlier run left them.
struct UnstoredRecord {
    PanelParams panel{};
    PanelParams stored{};
    bool operator==(const UnstoredRecord&) const = default;
};

// Every value within 0..255: a record is whole or it is no record.
bool IsWhole(const UnstoredRecord& record);

// The record was made on the controller whose values have just loaded the
// panel: outside the record's unstored parameters, it holds the stored set
// the record remembers.
bool MadeOnThisController(const UnstoredRecord& record, const PanelParams& loadedPanel);

// What such a record can give back to a controller whose values have just
// loaded the panel: the parameters that were unstored then and whose value
// the controller does not hold now.
ParamMask ParamsToRestore(const UnstoredRecord& record, const PanelParams& loadedPanel);
