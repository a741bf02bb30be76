// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// A session log as CSV: the header with its units, the log's own numbers,
// where events go, quoting, and a spreadsheet's reading of it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "log/CsvExport.h"

namespace {
constexpr char kFrame[] = "1.250\t10\t10.480\t12.028\t1.75784\t0\t120\t0\n";
constexpr char kMarkedFrame[] = "1.266\t11\t3.068\t3.079\t0.44923\t-1\t200\t2\n";

std::string CsvOfText(const std::string& rows, char separator) {
    return CsvOfLog(ParseLog(LogHeader() + rows), separator);
}

struct HeaderCase {
    char separator;
    const char* header;
};

TEST(CsvExport, HeaderNamesEachColumnWithItsUnit) {
    const HeaderCase cases[] = {
        {',', "Time (s),Cell,Petrol (ms),Gas (ms),Lambda (V),Band,Parameter,Mark,Events\r\n"},
        {';', "Time (s);Cell;Petrol (ms);Gas (ms);Lambda (V);Band;Parameter;Mark;Events\r\n"},
    };
    for (const HeaderCase& c : cases) EXPECT_EQ(CsvHeader(c.separator), c.header);
    EXPECT_EQ(CsvHeader(';', true),
              "Time (s);Cell;Petrol (ms);Gas (ms);Lambda (V);Band;Parameter;Mark;Short trim (%);"
              "Long trim (%);Engine speed (rpm);Coolant (°C);Load (%);Events\r\n");
}

// The OBD columns come with a log that has them, their numbers as the log's;
// a frame without a round has them empty, and so has a row of late events.
TEST(CsvExport, ObdReadingsInColumnsOfTheirOwn) {
    const std::string rows =
        std::string("1.250\t10\t10.480\t12.028\t1.75784\t0\t120\t0\t\t\t\t\t\n") +
        "MARK 1 - fuel gas\n" +
        "1.266\t11\t3.068\t3.079\t0.44923\t-1\t200\t1\t-3.12\t1.56\t"
        "2412.25\t-40\t31.4\n" +
        "1.282\t11\t3.068\t3.079\t0.44923\t-1\t200\t0\n" + "MARK 2 - fuel petrol\n";
    EXPECT_EQ(CsvOfLog(ParseLog(LogHeader(true) + rows), kCsvComma),
              CsvHeader(kCsvComma, true) +
                  "1.250,10,10.480,12.028,1.75784,0,120,0,,,,,,\r\n"
                  "1.266,11,3.068,3.079,0.44923,-1,200,1,-3.12,1.56,2412.25,-40,31.4,"
                  "MARK 1 - fuel gas\r\n"
                  "1.282,11,3.068,3.079,0.44923,-1,200,0,,,,,,\r\n"
                  ",,,,,,,,,,,,,MARK 2 - fuel petrol\r\n");
    // A frame carrying readings gives them whatever the header.
    ParsedLog log = ParseLog(LogHeader() + kFrame);
    log.frames[0].obd = ObdReadings{0, 255, 65535, 255, 0};
    EXPECT_EQ(CsvOfLog(log, kCsvComma),
              CsvHeader(kCsvComma, true) +
                  "1.250,10,10.480,12.028,1.75784,0,120,0,-100.00,99.22,16383.75,215,0.0,\r\n");
}

struct LogCase {
    const char* name;
    std::string rows;  // the log's, after its header
    char separator;
    const char* csv;  // after the CSV's header
};

const LogCase kLogs[] = {
    {"NumbersAsTheLogWritesThem", kFrame, ',', "1.250,10,10.480,12.028,1.75784,0,120,0,\r\n"},
    {"ZerosWithAllTheirDecimals", "0.000\t0\t0.000\t0.000\t0.00000\t-1\t0\t0\n", ',',
     "0.000,0,0.000,0.000,0.00000,-1,0,0,\r\n"},
    {"EventsGoWithTheNextFrame",
     std::string(kFrame) + "MARK 1 - mark\nMARK 2 - sent parameter 3 = 140\n" + kMarkedFrame, ',',
     "1.250,10,10.480,12.028,1.75784,0,120,0,\r\n"
     "1.266,11,3.068,3.079,0.44923,-1,200,2,MARK 1 - mark; MARK 2 - sent parameter 3 = 140\r\n"},
    {"EventsAfterTheLastFrameInARowOfTheirOwn",
     std::string(kFrame) + "MARK 1 - sent store\nMARK 2 - replay ended\n", ',',
     "1.250,10,10.480,12.028,1.75784,0,120,0,\r\n"
     ",,,,,,,,MARK 1 - sent store; MARK 2 - replay ended\r\n"},
    {"SeparatorInANameQuoted", std::string("MARK 1 - loaded file a,b.bin\n") + kFrame, ',',
     "1.250,10,10.480,12.028,1.75784,0,120,0,\"MARK 1 - loaded file a,b.bin\"\r\n"},
    {"QuoteInANameDoubled", std::string("MARK 1 - loaded file \"x\".bin\n") + kFrame, ',',
     "1.250,10,10.480,12.028,1.75784,0,120,0,\"MARK 1 - loaded file \"\"x\"\".bin\"\r\n"},
    {"SemicolonSeparatedCommaLeftAlone",
     std::string("MARK 1 - loaded file a,b.bin\n") + kFrame + "MARK 2 - mark\nMARK 3 - mark\n", ';',
     "1.250;10;10.480;12.028;1.75784;0;120;0;MARK 1 - loaded file a,b.bin\r\n"
     ";;;;;;;;\"MARK 2 - mark; MARK 3 - mark\"\r\n"},
};

class LogsAsCsv : public testing::TestWithParam<LogCase> {};

TEST_P(LogsAsCsv, GiveTheseRows) {
    const LogCase& c = GetParam();
    EXPECT_EQ(CsvOfText(c.rows, c.separator), CsvHeader(c.separator) + c.csv);
}

INSTANTIATE_TEST_SUITE_P(CsvExport, LogsAsCsv, testing::ValuesIn(kLogs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CsvExport, FieldsQuotedOnlyWhenTheyMustBe) {
    const std::array<std::array<std::string, 3>, 7> cases = {{
        {"plain", ",", "plain"},
        {"a,b", ",", "\"a,b\""},
        {"a;b", ",", "a;b"},
        {"a;b", ";", "\"a;b\""},
        {"say \"x\"", ",", "\"say \"\"x\"\"\""},
        {"a\nb", ",", "\"a\nb\""},
        {"a\r\nb", ";", "\"a\r\nb\""},
    }};
    for (const auto& [text, separator, field] : cases) {
        EXPECT_EQ(CsvField(text, separator[0]), field) << text;
    }
}

// Python's csv module reads the file as spreadsheets do: every row whole,
// a name with a separator and quotes in one field, the OBD columns' names
// and numbers.
TEST(CsvExport, PythonsCsvModuleReadsItBack) {
    std::string text = LogHeader(true);
    for (std::int32_t i = 0; i < 200; ++i) {
        if (i == 100) text += "MARK 1 - loaded file a,\"b\".bin\n";
        SessionFrame frame{i * 16'000, i % 16, 700 + i, 3000 + i, i * 97, 100, i < 100 ? 0 : 1};
        if (i % 4 == 0) frame.obd = ObdReadings{std::uint8_t(i), {}, 3200, 130, {}};
        AppendFrameRow(text, frame, true);
    }
    text += "MARK 2 - replay ended\n";
    std::string path = (std::filesystem::temp_directory_path() / "dx470-csv-XXXXXX").string();
    const int fd = mkstemp(path.data());
    ASSERT_NE(fd, -1);
    close(fd);
    std::ofstream(path, std::ios::binary) << CsvOfLog(ParseLog(text), kCsvComma);
    const std::string command =
        "python3 -c 'import csv,sys; r=list(csv.reader(open(sys.argv[1],newline=\"\"))); "
        "print(len(r), sorted({len(x) for x in r}), r[101][0], r[101][13], r[-1][13], r[101][8], "
        "r[0][11], sep=\"|\")' " +
        path;
    std::string out(256, '\0');
    FILE* python = popen(command.c_str(), "r");
    ASSERT_NE(python, nullptr);
    out.resize(std::fread(out.data(), 1, out.size(), python));
    const int status = pclose(python);
    std::filesystem::remove(path);
    // The shell's "command not found".
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) GTEST_SKIP() << "no python3";
    EXPECT_EQ(out,
              "202|[14]|1.600|MARK 1 - loaded file a,\"b\".bin|MARK 2 - replay ended|-21.87|"
              "Coolant (°C)\n");
}
}  // namespace
