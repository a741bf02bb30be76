// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The history index survives any note, loses only the lines that are
// damaged, and never trusts a file name that could leave its folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "history/HistoryIndex.h"

namespace {

using namespace std::literals;
using Lines = std::vector<int>;

RestorePoint Point(std::uint64_t number, std::string note = {}) {
    const std::string n = std::to_string(number);
    return {number,
            1767225600000 + static_cast<std::int64_t>(number),
            RestoreCause::Store,
            "p" + n + ".tq4",
            "s" + n + ".tq4",
            note};
}

std::vector<std::uint64_t> Numbers(const std::vector<RestorePoint>& points) {
    std::vector<std::uint64_t> numbers;
    for (const RestorePoint& point : points) numbers.push_back(point.number);
    return numbers;
}

}  // namespace

// The names are what old index files hold; they must not drift.
TEST(HistoryIndex, CausesReadBackByTheirNamesOnly) {
    std::string names;
    for (int c = 0; c <= static_cast<int>(RestoreCause::Restore); ++c) {
        const auto cause = static_cast<RestoreCause>(c);
        (names += CauseName(cause)) += ' ';
        EXPECT_EQ(CauseNamed(CauseName(cause)), cause) << c;
    }
    EXPECT_EQ(names, "link-up store file-load replay cells-apply other-controller restore ");
    for (const std::string_view name : {"", "Store", "store ", "replay-start", "link"}) {
        EXPECT_FALSE(CauseNamed(name)) << name;
    }
}

TEST(HistoryIndex, NotesKeepEveryByte) {
    const std::pair<std::string_view, std::string_view> escapes[] = {
        {"a\tb", "a\\tb"}, {"1\n2\r\n", "1\\n2\\r\\n"}, {"C:\\x", "C:\\\\x"},
        {"\\n", "\\\\n"},  {"plain", "plain"},          {"", ""},
    };
    for (const auto& [note, escaped] : escapes) {
        EXPECT_EQ(EscapeNote(note), escaped) << note;
        EXPECT_EQ(UnescapeNote(escaped), note) << escaped;
    }
    // Backslashes we never write are taken as they stand, the last one too,
    // whatever lies past the end of the note.
    EXPECT_EQ(UnescapeNote("a\\n"sv.substr(0, 2)), "a\\");
    EXPECT_EQ(UnescapeNote("\\x\\\\t\\"), "\\x\\t\\");
    std::string everyByte;
    for (int c = 0; c < 256; ++c) everyByte += static_cast<char>(c);
    EXPECT_EQ(EscapeNote(everyByte).find_first_of(std::string_view("\t\n\r", 3)),
              std::string::npos);
    EXPECT_EQ(UnescapeNote(EscapeNote(everyByte)), everyByte);
}

TEST(HistoryIndex, ReadsBackWhatItWrites) {
    const std::vector<RestorePoint> points = {
        {1, 0, RestoreCause::LinkUp, "a.tq4", "b.tq4", ""},
        {2, -5, RestoreCause::CellsApply, "c", "d", "tab\there\nline \\ back\\n"},
        {40, INT64_MAX, RestoreCause::Restore, "面板.tq4", "e", "恢复到第 3 点\r\n"},
    };
    const std::string text = FormatIndex(points);
    EXPECT_EQ(text,
              "DX470 history 1\n"
              "1\t0\tlink-up\ta.tq4\tb.tq4\t\n"
              "2\t-5\tcells-apply\tc\td\ttab\\there\\nline \\\\ back\\\\n\n"
              "40\t9223372036854775807\trestore\t面板.tq4\te\t恢复到第 3 点\\r\\n\n");
    const ParsedIndex parsed = ParseIndex(text);
    EXPECT_TRUE(parsed.known);
    EXPECT_EQ(parsed.points, points);
    EXPECT_EQ(parsed.damagedLines, Lines{});
    EXPECT_TRUE(ParseIndex(FormatIndex({})).known);
    // An editor may have made every line end "\r\n"; a raw carriage return is
    // never written, so the points are the same.
    std::string crlf;
    for (const char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    EXPECT_EQ(ParseIndex(crlf).points, points);
}

// Each damaged line goes on its own; the points around it stay.
TEST(HistoryIndex, ReportsDamagedLinesByNumber) {
    struct Case {
        std::string tail;
        Lines damaged;
        std::vector<std::uint64_t> numbers;
    };
    const std::string fortyDigits(40, '7');
    const Case cases[] = {
        {"2\t5\tstore\ta\tb\t\n", {}, {1, 2}},
        {"2\t5\tstore\ta\n", {3}, {1}},
        {"2\t5\tstore\ta\tb\n", {3}, {1}},
        {"2\t5\tstore\ta\tb\tnote\textra\n", {3}, {1}},
        {"\n", {3}, {1}},
        {"0\t5\tstore\ta\tb\t\n", {3}, {1}},
        {"-2\t5\tstore\ta\tb\t\n", {3}, {1}},
        {"+2\t5\tstore\ta\tb\t\n", {3}, {1}},
        {fortyDigits + "\t5\tstore\ta\tb\t\n", {3}, {1}},
        {"2\t" + fortyDigits + "\tstore\ta\tb\t\n", {3}, {1}},
        {"2\t5 \tstore\ta\tb\t\n", {3}, {1}},
        {"2\t5\tsave\ta\tb\t\n", {3}, {1}},
        {"2\t5\tstore\t../x\tb\t\n", {3}, {1}},
        {"2\t5\tstore\ta\t\t\n", {3}, {1}},
        {"1\t5\tstore\ta\tb\tagain\n", {3}, {1}},
        {"2\t5\tstore\ta\tb\t", {3}, {1}},
        {"2\t5\tstore\ta\tb\t\r", {3}, {1}},
        {"2\t\tstore\ta\tb\t\n3\t6\trestore\tc\td\tok\n4\t", {3, 5}, {1, 3}},
    };
    for (const Case& c : cases) {
        const ParsedIndex parsed = ParseIndex(FormatIndex({Point(1)}) + c.tail);
        EXPECT_TRUE(parsed.known) << c.tail;
        EXPECT_EQ(parsed.damagedLines, c.damaged) << c.tail;
        EXPECT_EQ(Numbers(parsed.points), c.numbers) << c.tail;
    }
}

TEST(HistoryIndex, AnUnknownHeaderReadsNothing) {
    const std::string points = FormatIndex({Point(1)}).substr(kIndexHeader.size());
    const std::string_view headers[] = {"", "DX470 history 2", "dx470 history 1",
                                        "DX470 history 1 ", "DX470 history"};
    for (const std::string_view header : headers) {
        const ParsedIndex parsed = ParseIndex(std::string(header) + points);
        EXPECT_FALSE(parsed.known) << header;
        EXPECT_TRUE(parsed.points.empty()) << header;
        EXPECT_TRUE(parsed.damagedLines.empty()) << header;
    }
}

// Whatever bytes it is given, the index yields only whole points.
TEST(HistoryIndex, DamagedBytesYieldOnlyWholePoints) {
    const std::string original =
        FormatIndex({Point(1, "x\ty"), Point(2), Point(3, "z"), Point(4, "\\")});
    std::uint32_t seed = 12345;
    const char bytes[] = {'\0', '\t', '\n', '\r', '/', '\\', '.', '9', '-', 'a'};
    for (int round = 0; round < 2000; ++round) {
        std::string text = original;
        for (int change = 0; change < 3; ++change) {
            seed = seed * 1664525 + 1013904223;
            const std::size_t at = kIndexHeader.size() + 1 + (seed >> 8) % (text.size() - 16);
            text[at] = bytes[(seed >> 4) % sizeof bytes];
        }
        text.resize(text.size() - (seed >> 20) % 8);
        const ParsedIndex parsed = ParseIndex(text);
        ASSERT_TRUE(parsed.known);
        for (const RestorePoint& point : parsed.points) {
            EXPECT_TRUE(IsPlainFileName(point.panelFile) && IsPlainFileName(point.storedFile));
        }
        EXPECT_EQ(parsed.points.size() + parsed.damagedLines.size(),
                  static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) +
                      (text.back() == '\n' ? 0 : 1) - 1)
            << text;
    }
}

TEST(HistoryIndex, LetsGoOfTheOldestBeyondTheLimit) {
    const std::vector<RestorePoint> points = {Point(7), Point(2), Point(9), Point(3)};
    const std::pair<std::size_t, std::vector<std::uint64_t>> cases[] = {
        {0, {2, 3, 7, 9}}, {1, {2, 3, 7}}, {3, {2}}, {4, {}}, {100, {}}};
    for (const auto& [limit, beyond] : cases) {
        EXPECT_EQ(Numbers(PointsBeyond(points, limit)), beyond) << limit;
    }
    EXPECT_EQ(PointsBeyond(points, 3).front(), Point(2));
}

TEST(HistoryIndex, PlainFileNamesStayInTheFolder) {
    for (const std::string_view name : {"a.tq4", "..a", "a..", "面板", ".hidden", "a b"}) {
        EXPECT_TRUE(IsPlainFileName(name)) << name;
    }
    const std::string_view notPlain[] = {"",   ".",    "..",    "../x",  "a/b",
                                         "/a", "a\\b", "..\\x", "a\0b"sv};
    for (const std::string_view name : notPlain) {
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    }
}

TEST(HistoryIndex, AFingerprintStandsForItsSet) {
    const PanelParams set{0, 1, 15, 16, 127, 128, 254, 255, 10, 11, 12, 13, 170, 187, 204, 221};
    const std::string fingerprint = "00010f107f80feff0a0b0c0daabbccdd";
    EXPECT_EQ(FingerprintOf(set), fingerprint);
    EXPECT_EQ(SetOfFingerprint(fingerprint), set);
    EXPECT_EQ(SetOfFingerprint("00010F107F80FEFF0A0B0C0DAABBCCDD"), set);
    for (const std::string& bad :
         {fingerprint.substr(1), fingerprint + "0", std::string(), "g" + fingerprint.substr(1),
          fingerprint.substr(0, 31) + " ", fingerprint.substr(0, 31) + '\0',
          "-" + fingerprint.substr(1), "0x" + fingerprint.substr(2)}) {
        EXPECT_FALSE(SetOfFingerprint(bad)) << bad;
    }
}
