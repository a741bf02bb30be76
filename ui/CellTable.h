// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <functional>

#include "domain/Calibration.h"

class QPushButton;
class QTableWidget;

// A row per cell, all sixteen in view and none editable: the cell's number
// first, text columns up to the last, which holds an Apply button calling
// apply(cell). The suggestion's column reads from the left, numbers from the
// right. Shared by the lambda statistics and the trims beneath them.
std::array<QPushButton*, kParamCount> BuildCellTable(QTableWidget* table, int suggestionColumn,
                                                     const std::function<void(int)>& apply);
