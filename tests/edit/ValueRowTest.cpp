// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// A row of values as the clipboard carries it: lenient about separators,
// strict about the values, and never placed past the last cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "edit/ValueRow.h"

namespace {

using Problem = ParsedRow::Problem;
using Values = std::vector<std::int32_t>;

constexpr PanelParams kPanel{5, 250, 3, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 0};

std::string Repeated(std::string_view item, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) (text += item) += '\t';
    return text;
}

}  // namespace

TEST(ValueRow, FormatsTheSelectedCellsLowestFirst) {
    EXPECT_EQ(FormatRow(kPanel, 0), "");
    EXPECT_EQ(FormatRow(kPanel, 0x0004), "3");
    EXPECT_EQ(FormatRow(kPanel, 0x8003), "5\t250\t0");
}

TEST(ValueRow, ReadsRowsColumnsAndHandTypedValues) {
    const std::pair<std::string_view, Values> cases[] = {
        {"1\t2\t3\r\n", {1, 2, 3}}, {"1\n2\n", {1, 2}}, {"  7   8 ", {7, 8}},
        {"0\t255", {0, 255}},       {"007 -0", {7, 0}}, {"\n4\r\n5\t6\t\r\n", {4, 5, 6}},
    };
    for (const auto& [text, values] : cases) {
        const ParsedRow row = ParseRow(text);
        EXPECT_EQ(row.problem, Problem::None) << text;
        EXPECT_EQ(row.values, values) << text;
    }
    EXPECT_EQ(ParseRow(Repeated("255", 16)).values, Values(16, 255));
}

// The first item with a problem is reported as written, with its position.
TEST(ValueRow, ReportsTheFirstBadItem) {
    struct Case {
        std::string text;
        Problem problem;
        std::string item;
        int itemNumber;
    };
    const std::string thirtyDigits(30, '9');
    const Case cases[] = {
        {"", Problem::Empty, "", 0},
        {" \t\r\n", Problem::Empty, "", 0},
        {"12a", Problem::NotANumber, "12a", 1},
        {"1 1.5", Problem::NotANumber, "1.5", 2},
        {"+5", Problem::NotANumber, "+5", 1},
        {"-", Problem::NotANumber, "-", 1},
        {"3\t+-3", Problem::NotANumber, "+-3", 2},
        {"1,2", Problem::NotANumber, "1,2", 1},
        {"1\t\t3", Problem::NotANumber, "", 2},
        {"1\n\n3", Problem::NotANumber, "", 2},
        {"\t2", Problem::NotANumber, "", 1},
        {"1 -1", Problem::OutOfRange, "-1", 2},
        {"256\tx", Problem::OutOfRange, "256", 1},
        {"4 " + thirtyDigits, Problem::OutOfRange, thirtyDigits, 2},
        {"-" + thirtyDigits, Problem::OutOfRange, "-" + thirtyDigits, 1},
        // Too long for any integer, but not a number in the first place.
        {thirtyDigits + "a", Problem::NotANumber, thirtyDigits + "a", 1},
        {Repeated("1", 17), Problem::TooMany, "", 0},
        {Repeated("1", 16) + "x", Problem::TooMany, "", 0},
        {"1 x " + Repeated("1", 20), Problem::NotANumber, "x", 2},
    };
    for (const Case& c : cases) {
        const ParsedRow row = ParseRow(c.text);
        EXPECT_EQ(row.problem, c.problem) << c.text;
        EXPECT_EQ(row.item, c.item) << c.text;
        EXPECT_EQ(row.itemNumber, c.itemNumber) << c.text;
        EXPECT_TRUE(row.values.empty()) << c.text;
    }
}

TEST(ValueRow, PlacesOnlyWithinThePanel) {
    const std::tuple<int, std::size_t, bool> cases[] = {
        {0, 16, true},  {15, 1, true},  {3, 0, true},   {15, 2, false},
        {14, 3, false}, {0, 17, false}, {-1, 1, false}, {16, 0, false}};
    for (const auto& [first, count, fits] : cases) {
        PanelParams panel = kPanel;
        const Values values(count, 7);
        EXPECT_EQ(PlaceRow(panel, first, values), fits) << first << " + " << count;
        PanelParams expected = kPanel;
        if (fits) std::fill_n(expected.begin() + first, count, 7);
        EXPECT_EQ(panel, expected) << first << " + " << count;
    }
}

// What is copied from some cells pastes back as the same values elsewhere.
TEST(ValueRow, ACopiedRowPastesBackElsewhere) {
    const ParsedRow row = ParseRow(FormatRow(kPanel, 0b0000'0010'1000'0110));
    ASSERT_EQ(row.values, (Values{250, 3, 80, 100}));
    PanelParams panel{};
    ASSERT_TRUE(PlaceRow(panel, 12, row.values));
    EXPECT_EQ(panel, (PanelParams{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 250, 3, 80, 100}));
}
