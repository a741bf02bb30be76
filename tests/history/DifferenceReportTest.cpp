// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// What changed between two sets, cell by cell, with the petrol times a
// person tunes by and the sign that says which way.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "history/DifferenceReport.h"

namespace {

constexpr PanelParams kBefore{10, 20,  30,  40,  50,  60,  70,  80,
                              90, 100, 110, 120, 130, 140, 150, 160};

PanelParams With(PanelParams set, int k, std::int32_t value) {
    set[static_cast<std::size_t>(k)] = value;
    return set;
}

}  // namespace

TEST(DifferenceReport, RowsCarryTheCellsPetrolTimesAndSign) {
    const PanelParams after = With(With(With(kBefore, 0, 13), 3, 38), 13, 255);
    const std::vector<ParamDifference> expected = {
        {0, 10, 13, 3, 0.0, 1.024},
        {3, 40, 38, -2, 3.072, 4.096},
        {13, 140, 255, 115, 13.312, 14.336},
    };
    EXPECT_EQ(Differences(kBefore, after), expected);
    EXPECT_EQ(Differences(after, kBefore).at(1), (ParamDifference{3, 38, 40, 2, 3.072, 4.096}));
}

// Values from a damaged file can be anything; their difference must not wrap.
TEST(DifferenceReport, FarApartValuesDoNotWrap) {
    constexpr std::int32_t kLeast = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMost = std::numeric_limits<std::int32_t>::max();
    const auto Difference = [](std::int32_t before, std::int32_t after) {
        return Differences(With(kBefore, 5, before), With(kBefore, 5, after)).at(0).difference;
    };
    EXPECT_EQ(Difference(kLeast, kMost), kMost);
    EXPECT_EQ(Difference(kMost, kLeast), kLeast);
    EXPECT_EQ(Difference(-1, kMost), kMost);
}

TEST(DifferenceReport, MasksTheDifferingParams) {
    const std::pair<std::vector<int>, ParamMask> cases[] = {
        {{}, 0}, {{0}, 0x0001}, {{15}, 0x8000}, {{3, 4, 9}, 0x0218}, {{0, 7, 8, 15}, 0x8181}};
    for (const auto& [cells, mask] : cases) {
        PanelParams after = kBefore;
        for (const int k : cells) after = With(after, k, 0);
        EXPECT_EQ(DifferingParams(kBefore, after), mask) << cells.size();
        EXPECT_EQ(DifferingParams(after, kBefore), mask) << cells.size();
        EXPECT_EQ(Differences(kBefore, after).size(), cells.size());
    }
}

TEST(DifferenceReport, FormatsAHeadingAndOneLinePerRow) {
    const std::vector<ParamDifference> rows =
        Differences(kBefore, With(With(kBefore, 0, 13), 12, 128));
    EXPECT_EQ(FormatReport(rows, {"Parameter", "Petrol ms", "Before", "After", "Change"}),
              "Parameter\tPetrol ms\tBefore\tAfter\tChange\n"
              "0\t0.000-1.024\t10\t13\t+3\n"
              "12\t12.288-13.312\t130\t128\t-2\n");
    EXPECT_EQ(FormatReport({}, {"参数", "差"}), "参数\t差\n");
}
