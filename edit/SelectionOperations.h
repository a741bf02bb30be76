// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include "domain/Calibration.h"

// Operations on a selection of cells (bit k of the mask for cell k). Each
// gives the panel with the operation applied to the selected cells and every
// value it sets clamped to 0..255; cells outside the selection keep their
// values. An empty selection changes nothing.

bool IsSelected(ParamMask selection, int k);
// The lowest and the highest selected cell; -1 for both when none is.
int FirstSelected(ParamMask selection);
int LastSelected(ParamMask selection);
// Cells first..last, both included, as a mask (empty when last < first);
// positions outside 0..15 are left out.
ParamMask CellRange(int first, int last);

PanelParams SetTo(const PanelParams& panel, ParamMask selection, std::int32_t value);
// A negative amount subtracts.
PanelParams AddTo(const PanelParams& panel, ParamMask selection, std::int32_t amount);
// Each selected value times percent / 100, rounded to the nearest whole step,
// halves away from zero. A percent that is not a finite number changes
// nothing.
PanelParams ScaleBy(const PanelParams& panel, ParamMask selection, double percent);
// The selected cells strictly between the first and the last selected cell
// take the value of the straight line between those two, rounded to the
// nearest step, halves up; the ends keep theirs. Needs three selected cells
// to change anything.
PanelParams Interpolate(const PanelParams& panel, ParamMask selection);
// Each selected cell strictly between the first and the last selected cell
// becomes (left + 2 x itself + right) / 4 of the values before smoothing,
// rounded to the nearest step, halves up; its neighbours count whether they
// are selected or not. The ends of the selection keep their values, so a
// smoothed stretch still meets the cells around it.
PanelParams Smooth(const PanelParams& panel, ParamMask selection);
