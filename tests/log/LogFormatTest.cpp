// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The text of a session log: what its rows say, and that reading them back
// gives the very readings that were shown.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>

#include "log/LogFormat.h"

namespace {

SessionFrame Frame(std::int64_t timeUs, int cell, int petrolRaw, int gasUs, int lambdaRaw,
                   int param, int mark = 0) {
    return {timeUs, cell, petrolRaw, gasUs, lambdaRaw, param, mark};
}

std::string Row(const SessionFrame& frame) {
    std::string text;
    AppendFrameRow(text, frame);
    return text;
}

struct RowCase {
    const char* name;
    SessionFrame frame;
    const char* row;
};

// The readings of the link's worked examples; times rounded to milliseconds.
const RowCase kRows[] = {
    {"MiddleBand", Frame(1'250'000, 10, 2620, 12028, 23040, 120),
     "1.250\t10\t10.480\t12.028\t1.75784\t0\t120\t0\n"},
    {"LowBandJustAfterTheStart", Frame(499, 2, 767, 3079, 5888, 200),
     "0.000\t2\t3.068\t3.079\t0.44923\t-1\t200\t0\n"},
    {"HighBandAfterAMark", Frame(61'000'500, 15, 3968, 16222, 49152, 50, 7),
     "61.001\t15\t15.872\t16.222\t3.75006\t1\t50\t7\n"},
    {"Extremes", Frame(3'600'000'000, 15, 65535, 16386, 65535, 255),
     "3600.000\t15\t262.140\t16.386\t5.00000\t1\t255\t0\n"},
    {"Zeros", Frame(0, 0, 0, 0, 0, 0), "0.000\t0\t0.000\t0.000\t0.00000\t-1\t0\t0\n"},
};

class FrameRows : public testing::TestWithParam<RowCase> {};

TEST_P(FrameRows, SayTheReadingsAndReadBack) {
    const RowCase& c = GetParam();
    EXPECT_EQ(Row(c.frame), c.row);
    const ParsedLog log = ParseLog(LogHeader() + c.row);
    ASSERT_TRUE(log.recognised);
    ASSERT_EQ(log.frames.size(), 1u);
    SessionFrame expected = c.frame;
    expected.timeUs = (c.frame.timeUs + 500) / 1000 * 1000;
    EXPECT_EQ(log.frames[0], expected);
}

INSTANTIATE_TEST_SUITE_P(Log, FrameRows, testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LogFormat, HeaderIsANameRowAndAUnitRow) {
    EXPECT_EQ(LogHeader(),
              "Time\tCell\tPetrol\tGas\tLambda\tBand\tParam\tMark\n"
              "s\t\tms\tms\tV\t\t\t\n");
}

// Every petrol and lambda reading comes back exactly from its row.
TEST(LogFormat, EveryReadingComesBackExactly) {
    std::string text = LogHeader();
    for (int raw = 0; raw <= 65535; ++raw) AppendFrameRow(text, Frame(raw, 0, raw, 0, raw, 0));
    const ParsedLog log = ParseLog(text);
    ASSERT_EQ(log.frames.size(), 65536u);
    for (int raw = 0; raw <= 65535; ++raw) {
        ASSERT_EQ(log.frames[raw].petrolRaw, raw);
        ASSERT_EQ(log.frames[raw].lambdaRaw, raw);
    }
}

// A German locale writes numbers with a decimal comma; the log does not.
TEST(LogFormat, DecimalPointUnderADecimalCommaLocale) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no de_DE.UTF-8 locale (scripts/install-deps makes it)";
    }
    std::locale::global(std::locale("de_DE.UTF-8"));
    const std::string row = Row(Frame(1'250'000, 10, 2620, 12028, 23040, 120));
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(row, kRows[0].row);
}

struct EventCase {
    const char* name;
    SessionEvent event;
    const char* row;
};

const EventCase kEvents[] = {
    {"Mark", {SessionEvent::Kind::Mark, 1, 0, 0, ""}, "MARK 1 - mark\n"},
    {"ParameterSent",
     {SessionEvent::Kind::ParameterSent, 2, 3, 128, ""},
     "MARK 2 - sent parameter 3 = 128\n"},
    {"StoreSent", {SessionEvent::Kind::StoreSent, 3, 0, 0, ""}, "MARK 3 - sent store\n"},
    {"FileLoaded",
     {SessionEvent::Kind::FileLoaded, 4, 0, 0, "车 a.tq4"},
     "MARK 4 - loaded file 车 a.tq4\n"},
    {"ReplayStarted",
     {SessionEvent::Kind::ReplayStarted, 5, 0, 0, ""},
     "MARK 5 - replay started\n"},
    {"ReplayEnded", {SessionEvent::Kind::ReplayEnded, 6, 0, 0, ""}, "MARK 6 - replay ended\n"},
};

class EventRows : public testing::TestWithParam<EventCase> {};

TEST_P(EventRows, SayTheEventAndReadBack) {
    const EventCase& c = GetParam();
    std::string text;
    AppendEventRow(text, c.event);
    EXPECT_EQ(text, c.row);
    const ParsedLog log = ParseLog(LogHeader() + text);
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0].second, c.event);
}

INSTANTIATE_TEST_SUITE_P(Log, EventRows, testing::ValuesIn(kEvents),
                         [](const auto& info) { return std::string(info.param.name); });

// A log edited or cut short gives back what it can.
TEST(LogFormat, ReadsWhatItCanOfABrokenLog) {
    const std::string text =
        LogHeader() +
        "0.100\t1\t1.024\t1.424\t2.50000\t0\t100\t0\r\n"  // CR LF
        "MARK 1 - mark\n"
        "0,200\t1\t1,028\t1,428\t2,50000\t0\t100\t1\n"   // a spreadsheet's commas
        "0.150\t1\t1.032\t1.432\t2.50000\t0\t100\t0\n"   // time runs back
        "0.300\t16\t1.032\t1.432\t2.50000\t0\t100\t0\n"  // no such cell
        "0.350\t1\t1.\t1.432\t2.50000\t0\t100\t0\n"      // a point without decimals
        "MARK 2 - something else\n"
        "\n"
        "0.400\t1\t1.0";  // cut by a crash
    const ParsedLog log = ParseLog(text);
    ASSERT_TRUE(log.recognised);
    ASSERT_EQ(log.frames.size(), 2u);
    EXPECT_EQ(log.frames[1].timeUs, 200'000);
    EXPECT_EQ(log.frames[1].petrolRaw, 257);
    EXPECT_EQ(log.frames[1].mark, 1);
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0].first, 1u);  // after the first frame
    EXPECT_EQ(log.skipped, (SkippedRows{.unreadable = 4, .tooLong = 0, .backwards = 1}));
}

TEST(LogFormat, TextWithoutTheHeaderIsNoLog) {
    EXPECT_FALSE(ParseLog("").recognised);
    EXPECT_FALSE(ParseLog("0.100\t1\t1.024\t1.424\t2.50000\t0\t100\t0\n").recognised);
    EXPECT_FALSE(ParseLog(std::string(64, '\0')).recognised);
}

}  // namespace
