// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include "link/LinkState.h"
#include "ui/ControlIds.h"

// Groups of the window's controls that are handled together.
namespace ControlSets {
inline constexpr int kReadoutIds[] = {ControlId::kPetrolReadout, ControlId::kGasReadout,
                                      ControlId::kLambdaReadout};
inline constexpr int kBarIds[] = {ControlId::kPetrolBar, ControlId::kGasBar, ControlId::kLambdaBar};
inline constexpr int kLabelIds[] = {ControlId::kPetrolLabel, ControlId::kGasLabel,
                                    ControlId::kLambdaLabel, ControlId::kParamRowLabel};
// The order in which the parameter edits are written at start and read back
// on Enter.
inline constexpr int kBindingOrder[kParamCount] = {0, 1, 10, 11, 12, 13, 14, 15,
                                                   2, 3, 4,  5,  6,  7,  8,  9};
}  // namespace ControlSets
