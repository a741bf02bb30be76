// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Operations on a selection of cells: which cells they touch, how they round
// and where they clamp.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <utility>

#include "edit/SelectionOperations.h"

namespace {

constexpr PanelParams kPanel{100, 250, 3,   40,  50,  60,  70,  80,
                             90,  100, 110, 120, 130, 140, 150, 160};

ParamMask Cells(std::initializer_list<int> cells) {
    ParamMask mask = 0;
    for (const int k : cells) mask |= static_cast<ParamMask>(1u << k);
    return mask;
}

PanelParams With(PanelParams panel, std::initializer_list<std::pair<int, std::int32_t>> cells) {
    for (const auto& [k, value] : cells) panel[std::size_t(k)] = value;
    return panel;
}

}  // namespace

TEST(Selection, FirstLastAndRanges) {
    const std::tuple<ParamMask, int, int> ends[] = {
        {0, -1, -1}, {0x0001, 0, 0}, {0x8000, 15, 15}, {Cells({2, 5}), 2, 5}, {0xFFFF, 0, 15}};
    for (const auto& [mask, first, last] : ends) {
        EXPECT_EQ(FirstSelected(mask), first) << mask;
        EXPECT_EQ(LastSelected(mask), last) << mask;
    }
    EXPECT_TRUE(IsSelected(Cells({2, 5}), 5));
    EXPECT_FALSE(IsSelected(Cells({2, 5}), 4));
    EXPECT_FALSE(IsSelected(0xFFFF, -1));
    EXPECT_FALSE(IsSelected(0xFFFF, 16));

    const std::tuple<int, int, ParamMask> ranges[] = {
        {2, 5, 0x003C},  {7, 7, 0x0080},   {5, 2, 0},   {0, 15, 0xFFFF},
        {-3, 1, 0x0003}, {14, 40, 0xC000}, {16, 30, 0}, {-5, -1, 0}};
    for (const auto& [first, last, mask] : ranges) {
        EXPECT_EQ(CellRange(first, last), mask) << first << ".." << last;
    }
}

// Only the selected cells change, and whatever is set stays within 0..255,
// even from values no panel should hold.
TEST(Selection, SetAndAddClampAndLeaveTheRestAlone) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const std::pair<PanelParams, PanelParams> cases[] = {
        {SetTo(kPanel, Cells({0, 2}), 300), With(kPanel, {{0, 255}, {2, 255}})},
        {SetTo(kPanel, Cells({1}), -5), With(kPanel, {{1, 0}})},
        {SetTo(kPanel, Cells({15}), 77), With(kPanel, {{15, 77}})},
        {AddTo(kPanel, Cells({1, 2}), 10), With(kPanel, {{1, 255}, {2, 13}})},
        {AddTo(kPanel, Cells({2, 3, 9}), -5), With(kPanel, {{2, 0}, {3, 35}, {9, 95}})},
        {AddTo(With(kPanel, {{4, kMax}}), Cells({4}), kMax), With(kPanel, {{4, 255}})},
        {AddTo(With(kPanel, {{4, kMin}}), Cells({4}), kMin), With(kPanel, {{4, 0}})},
        {SetTo(kPanel, 0, 9), kPanel},
        {AddTo(kPanel, 0, 9), kPanel},
        {ScaleBy(kPanel, 0, 50), kPanel},
        {Interpolate(kPanel, 0), kPanel},
        {Smooth(kPanel, 0), kPanel},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
    }
}

// Halves go away from zero, and the product is taken before the division so
// 115 % of 50 is exactly 57.5.
TEST(Selection, ScaleRoundsHalvesAwayFromZeroAndClamps) {
    const std::tuple<std::int32_t, double, std::int32_t> cases[] = {
        {50, 115, 58},  {25, 58, 15},   {10, 125, 13},   {3, 50, 2},    {7, 50, 4},  {1, 50, 1},
        {101, 99, 100}, {33, 33.3, 11}, {200, 150, 255}, {100, -20, 0}, {100, 0, 0}, {80, 100, 80}};
    for (const auto& [value, percent, expected] : cases) {
        const PanelParams panel = With(kPanel, {{5, value}});
        EXPECT_EQ(ScaleBy(panel, Cells({5}), percent), With(kPanel, {{5, expected}}))
            << value << " at " << percent << " %";
    }
    EXPECT_EQ(ScaleBy(kPanel, 0xFFFF, std::numeric_limits<double>::quiet_NaN()), kPanel);
}

TEST(Selection, InterpolateFollowsTheLineBetweenTheEnds) {
    struct Case {
        PanelParams panel;
        ParamMask selection;
        PanelParams expected;
    };
    const PanelParams zero{};
    const Case cases[] = {
        {With(zero, {{2, 10}, {6, 30}}), CellRange(2, 6),
         With(zero, {{2, 10}, {3, 15}, {4, 20}, {5, 25}, {6, 30}})},
        {With(zero, {{0, 100}, {4, 0}}), CellRange(0, 4),
         With(zero, {{0, 100}, {1, 75}, {2, 50}, {3, 25}})},
        {With(zero, {{0, 0}, {3, 10}}), CellRange(0, 3), With(zero, {{1, 3}, {2, 7}, {3, 10}})},
        // Halves up, whichever way the line runs.
        {With(zero, {{0, 0}, {2, 1}}), CellRange(0, 2), With(zero, {{1, 1}, {2, 1}})},
        {With(zero, {{0, 1}, {2, 0}}), CellRange(0, 2), With(zero, {{0, 1}, {1, 1}})},
        // Unselected cells inside the span keep their values; the line runs
        // by position, not by the count of selected cells.
        {With(kPanel, {{1, 10}, {7, 70}}), Cells({1, 3, 4, 7}),
         With(kPanel, {{1, 10}, {3, 30}, {4, 40}, {7, 70}})},
        // Two selected cells are only ends.
        {kPanel, Cells({3, 9}), kPanel},
        {kPanel, Cells({3}), kPanel},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(Interpolate(cases[i].panel, cases[i].selection), cases[i].expected)
            << "case " << i;
    }
}

// Every inner cell is smoothed from the values before smoothing, not from
// its already smoothed left neighbour.
TEST(Selection, SmoothKeepsTheEndsAndReadsTheOriginalValues) {
    const PanelParams spike = With(PanelParams{}, {{4, 100}});
    EXPECT_EQ(Smooth(spike, CellRange(3, 6)), With(spike, {{4, 50}, {5, 25}}));
    EXPECT_EQ(Smooth(spike, CellRange(4, 6)), With(spike, {{5, 25}}));
    EXPECT_EQ(Smooth(spike, Cells({4, 5})), spike);

    // Cell 5 counts its unselected neighbours; cells 3, 4 and 6 to 8 are not
    // selected and stay.
    const PanelParams uneven = With(kPanel, {{4, 40}, {5, 0}, {6, 80}});
    EXPECT_EQ(Smooth(uneven, Cells({2, 5, 9})), With(uneven, {{5, 30}}));
}

TEST(Selection, SmoothRoundsHalvesUp) {
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t> cases[] = {
        {2, 0, 0, 1}, {1, 0, 0, 0}, {6, 0, 0, 2}, {5, 0, 0, 1},
        {0, 1, 1, 1}, {3, 1, 0, 1}, {3, 2, 1, 2}, {255, 255, 255, 255}};
    for (const auto& [left, middle, right, expected] : cases) {
        const PanelParams panel = With(kPanel, {{7, left}, {8, middle}, {9, right}});
        EXPECT_EQ(Smooth(panel, CellRange(7, 9)), With(panel, {{8, expected}}))
            << left << ' ' << middle << ' ' << right;
    }
}
