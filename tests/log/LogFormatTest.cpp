// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The text of a session log: what its rows say, and that reading them back
// gives the very readings that were shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <locale>
#include <string>
#include <utility>
#include <vector>

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
    {"FuelPetrol", {SessionEvent::Kind::FuelChanged, 7, 0, 0, ""}, "MARK 7 - fuel petrol\n"},
    {"FuelGas", {SessionEvent::Kind::FuelChanged, 8, 0, 1, ""}, "MARK 8 - fuel gas\n"},
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

// --- a log with OBD columns

// The eight columns of kRows[0].
constexpr char kEight[] = "1.250\t10\t10.480\t12.028\t1.75784\t0\t120\t0";

TEST(LogFormat, HeaderWithObdColumnsAddsThemAndTheirUnits) {
    EXPECT_EQ(LogHeader(true),
              "Time\tCell\tPetrol\tGas\tLambda\tBand\tParam\tMark\tSTFT\tLTFT\tRPM\tCoolant\tLoad\n"
              "s\t\tms\tms\tV\t\t\t\t%\t%\trpm\t°C\t%\n");
}

struct ObdRowCase {
    const char* name;
    std::optional<ObdReadings> obd;
    const char* fields;  // after the eight columns
};

const ObdRowCase kObdRows[] = {
    {"FullRound", ObdReadings{124, 130, 9649, 128, 80}, "\t-3.12\t1.56\t2412.25\t88\t31.4"},
    {"MissingPids", ObdReadings{128, {}, 3, {}, {}}, "\t0.00\t\t0.75\t\t"},
    {"LowestBytes", ObdReadings{0, 0, 0, 0, 0}, "\t-100.00\t-100.00\t0.00\t-40\t0.0"},
    {"HighestBytes", ObdReadings{255, 255, 65535, 255, 255},
     "\t99.22\t99.22\t16383.75\t215\t100.0"},
    {"NoRoundEnded", std::nullopt, "\t\t\t\t\t"},
};

class ObdRows : public testing::TestWithParam<ObdRowCase> {};

// Read back, a spreadsheet's decimal commas too; without the flag the row
// is the eight columns, readings or none.
TEST_P(ObdRows, SayTheReadingsAndReadBackTheirBytes) {
    const ObdRowCase& c = GetParam();
    SessionFrame frame = kRows[0].frame;
    frame.obd = c.obd;
    std::string row;
    AppendFrameRow(row, frame, true);
    EXPECT_EQ(row, std::string(kEight) + c.fields + "\n");
    std::string commas = row;
    std::replace(commas.begin(), commas.end(), '.', ',');
    for (const std::string& text : {row, commas}) {
        const ParsedLog log = ParseLog(LogHeader(true) + text);
        EXPECT_TRUE(log.withObd);
        ASSERT_EQ(log.frames.size(), 1u) << text;
        EXPECT_EQ(log.frames[0], frame) << text;
    }
    EXPECT_EQ(Row(frame), kRows[0].row);
    std::string fields;
    for (const std::string& field : ObdFieldTexts(c.obd.value_or(ObdReadings{}))) {
        fields += "\t" + field;
    }
    EXPECT_EQ(fields, c.fields);
}

INSTANTIATE_TEST_SUITE_P(Log, ObdRows, testing::ValuesIn(kObdRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Every byte of every PID comes back, and its number is the PID's own
// scaling to the decimals written.
TEST(LogFormat, EveryObdByteComesBackExactly) {
    std::string text = LogHeader(true);
    std::vector<SessionFrame> frames;
    for (int raw = 0; raw <= 65535; ++raw) {
        const auto byte = static_cast<std::uint8_t>(raw);
        frames.push_back(kRows[0].frame);
        frames.back().obd = ObdReadings{byte, byte, std::uint16_t(raw), byte, byte};
        AppendFrameRow(text, frames.back(), true);
        if (raw > 255) continue;
        const auto fields = ObdFieldTexts(*frames.back().obd);
        EXPECT_NEAR(std::stod(fields[0]), TrimPercent(byte), 0.005 + 1e-9) << raw;
        EXPECT_EQ(std::stod(fields[3]), CoolantCelsius(byte)) << raw;
        EXPECT_NEAR(std::stod(fields[4]), LoadPercent(byte), 0.05 + 1e-9) << raw;
    }
    EXPECT_EQ(ParseLog(text).frames, frames);
}

// Numbers saved again with other decimals come to their nearest byte; a
// nearest byte out of range, or no number, makes the row unreadable.
TEST(LogFormat, ObdFieldsComeToTheirNearestByteOrAreRefused) {
    const std::pair<const char*, std::optional<ObdReadings>> cases[] = {
        {"\t-3.125\t1.6\t2412.3\t88,4\t31.37", ObdReadings{124, 130, 9649, 128, 80}},
        {"\t-100.39\t99.60\t16383.87\t-40.4\t100.19", ObdReadings{0, 255, 65535, 0, 255}},
        {"\t-100.40\t\t\t\t", std::nullopt},
        {"\t99.61\t\t\t\t", std::nullopt},
        {"\t\t\t16383.88\t\t", std::nullopt},
        {"\t\t\t-0.2\t\t", std::nullopt},
        {"\t\t\t\t215.5\t", std::nullopt},
        {"\t\t\t\t\t100.2", std::nullopt},
        {"\t--5\t\t\t\t", std::nullopt},
        {"\t\t\t\t\t9223372036854775807", std::nullopt},
    };
    for (const auto& [fields, obd] : cases) {
        const ParsedLog log = ParseLog(LogHeader(true) + kEight + fields + "\n");
        EXPECT_EQ(log.skipped.unreadable, obd ? 0u : 1u) << fields;
        EXPECT_EQ(log.frames.empty() ? std::nullopt : log.frames[0].obd, obd) << fields;
    }
}

// A log with OBD columns takes rows of the eight alone or of all thirteen;
// fields past a log's columns are passed over, as they always were, so an
// older log reads its rows of any width as before, readings left out.
TEST(LogFormat, RowsAreReadAtTheirLogsWidths) {
    const std::string eight = std::string(kEight) + "\n";
    const std::string nine = std::string(kEight) + "\t\n";
    const std::string twelve = std::string(kEight) + "\t1.56\t\t\t\n";
    const std::string thirteen = std::string(kEight) + "\t1.56\t\t\t\t\n";
    const std::string fourteen = std::string(kEight) + "\t1.56\t\t\t\t\tx\n";
    const ParsedLog obd = ParseLog(LogHeader(true) + eight + thirteen + nine + twelve + fourteen);
    ASSERT_EQ(obd.frames.size(), 3u);
    EXPECT_EQ(obd.frames[0].obd, std::nullopt);
    EXPECT_EQ(obd.frames[1].obd, (ObdReadings{130, {}, {}, {}, {}}));
    EXPECT_EQ(obd.frames[2].obd, obd.frames[1].obd);
    EXPECT_EQ(obd.skipped.unreadable, 2u);
    const ParsedLog old = ParseLog(LogHeader() + eight + thirteen + nine);
    ASSERT_EQ(old.frames.size(), 3u);
    EXPECT_EQ(old.frames[1].obd, std::nullopt);
    EXPECT_EQ(old.skipped.unreadable, 0u);
}

TEST(LogFormat, TextWithoutTheHeaderIsNoLog) {
    EXPECT_FALSE(ParseLog("").recognised);
    EXPECT_FALSE(ParseLog("0.100\t1\t1.024\t1.424\t2.50000\t0\t100\t0\n").recognised);
    EXPECT_FALSE(ParseLog(std::string(64, '\0')).recognised);
}

}  // namespace
