// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <array>
#include <cstdint>

// Cells of the simulated engine that run lean or rich (--lambda-bias). Such
// a cell reads its offset lower than the sweep (positive: lean, as a
// narrowband sensor reads low on a lean mixture; negative: rich), and answers
// its own parameter as an engine would: every step above the value it started
// with is more gas time, which takes kRawPerStep of the leanness back. Cells
// without an offset read the sweep whatever their parameter.
class EngineMixture {
public:
    static constexpr std::size_t kCells = 16;
    // About a quarter of a volt.
    static constexpr std::int32_t kRawPerStep = 3200;
    using Offsets = std::array<std::int32_t, kCells>;
    using Parameters = std::array<std::uint8_t, kCells>;

    EngineMixture(const Offsets& offsets, const Parameters& start)
        : offsets_(offsets), start_(start) {}

    std::uint16_t Reading(std::uint16_t swept, std::size_t cell, std::uint8_t parameter) const;

    // The cell is the low four bits of the petrol time's high byte.
    static std::size_t CellOf(std::uint16_t petrol) {
        constexpr unsigned kCellMask = 0x0F;
        return (petrol >> 8) & kCellMask;
    }

private:
    Offsets offsets_;
    Parameters start_;
};
