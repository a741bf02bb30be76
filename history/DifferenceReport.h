// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <string>
#include <vector>

#include "domain/Calibration.h"

// What differs between two parameter sets, a row per parameter, with the
// petrol times of the parameter's cell: cell k runs from k x 1.024 ms to
// (k + 1) x 1.024 ms.
struct ParamDifference {
    int k = 0;
    std::int32_t before = 0;
    std::int32_t after = 0;
    // after - before.
    std::int32_t difference = 0;
    double petrolFromMs = 0;
    double petrolToMs = 0;
    bool operator==(const ParamDifference&) const = default;
};

// The parameters that differ, lowest first; none for equal sets.
std::vector<ParamDifference> Differences(const PanelParams& before, const PanelParams& after);
ParamMask DifferingParams(const PanelParams& before, const PanelParams& after);

// The report as plain text for a file or the clipboard: a heading line, then
// one tab-separated line per row: parameter, petrol times "0.000-1.024",
// before, after, difference with its sign ("+3", "-2"). The heading's words
// are given, so the report speaks the window's language.
std::string FormatReport(const std::vector<ParamDifference>& rows,
                         const std::vector<std::string>& headings);
