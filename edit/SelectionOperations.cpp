// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "edit/SelectionOperations.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace {

// Sums and products go through 64 bits: a panel read from a damaged file
// may hold any 32-bit value, and that must clamp, not overflow.
std::int32_t Clamped(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, kLowestValue, kHighestValue));
}

// num / den rounded to the nearest whole number, halves up; den > 0. For a
// negative num the division truncates where a floor would be right, but any
// result below zero clamps to 0 either way.
std::int64_t DivideRoundingHalfUp(std::int64_t num, std::int64_t den) {
    return (2 * num + den) / (2 * den);
}

std::int64_t At(const PanelParams& panel, int k) {
    return panel[static_cast<std::size_t>(k)];
}

template <typename ValueOf>
PanelParams Apply(const PanelParams& panel, ParamMask selection, ValueOf valueOf) {
    PanelParams result = panel;
    for (int k = 0; k < kParamCount; ++k) {
        if (IsSelected(selection, k)) result[static_cast<std::size_t>(k)] = Clamped(valueOf(k));
    }
    return result;
}

// The selected cells strictly between the first and the last selected one.
ParamMask Inner(ParamMask selection) {
    const int first = FirstSelected(selection);
    const int last = LastSelected(selection);
    return selection & CellRange(first + 1, last - 1);
}

}  // namespace

bool IsSelected(ParamMask selection, int k) {
    return k >= 0 && k < kParamCount && ((selection >> k) & 1u) != 0;
}

int FirstSelected(ParamMask selection) {
    return selection == 0 ? -1 : std::countr_zero(selection);
}

int LastSelected(ParamMask selection) {
    return selection == 0 ? -1 : std::bit_width(selection) - 1;
}

ParamMask CellRange(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, kParamCount - 1);
    ParamMask mask = 0;
    for (int k = first; k <= last; ++k) mask |= static_cast<ParamMask>(1u << k);
    return mask;
}

PanelParams SetTo(const PanelParams& panel, ParamMask selection, std::int32_t value) {
    return Apply(panel, selection, [&](int) { return std::int64_t{value}; });
}

PanelParams AddTo(const PanelParams& panel, ParamMask selection, std::int32_t amount) {
    return Apply(panel, selection, [&](int k) { return At(panel, k) + amount; });
}

PanelParams ScaleBy(const PanelParams& panel, ParamMask selection, double percent) {
    // Nothing sensible to scale by; leave the panel as it is rather than
    // turn a NaN into some value.
    if (!std::isfinite(percent)) return panel;
    return Apply(panel, selection, [&](int k) {
        // Multiplying before dividing keeps 50 at 115 % an exact 57.5, which
        // 115 / 100 as a factor would not.
        const double scaled = std::round(double(At(panel, k)) * percent / 100.0);
        return static_cast<std::int64_t>(std::clamp<double>(scaled, kLowestValue, kHighestValue));
    });
}

PanelParams Interpolate(const PanelParams& panel, ParamMask selection) {
    const int first = FirstSelected(selection);
    const int last = LastSelected(selection);
    const std::int64_t from = At(panel, std::max(first, 0));
    const std::int64_t to = At(panel, std::max(last, 0));
    // Whole-number arithmetic so a line that passes exactly through a half
    // rounds the same on every machine.
    return Apply(panel, Inner(selection), [&](int k) {
        const std::int64_t span = last - first;
        return DivideRoundingHalfUp(from * span + (to - from) * (k - first), span);
    });
}

PanelParams Smooth(const PanelParams& panel, ParamMask selection) {
    return Apply(panel, Inner(selection), [&](int k) {
        return DivideRoundingHalfUp(At(panel, k - 1) + 2 * At(panel, k) + At(panel, k + 1), 4);
    });
}
