// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Reading a log in bounded memory: rows of any width, a log that comes in
// pieces, numbers too large to be readings, and why rows were skipped.
#include <gtest/gtest.h>

#include <string>

#include "log/LogFormat.h"
#include "log/LogReader.h"
#include "tests/support/MemoryCap.h"

namespace {

constexpr std::size_t kManyTabs = 10'000'000;
// Far less than the tabs' fields would take at 16 bytes each, far more than
// reading the rows around them needs.
constexpr std::size_t kReadingMemory = std::size_t{24} << 20;

const std::string kRow = "0.100\t1\t1.024\t1.424\t2.50000\t0\t100\t0\n";

// The same text read by the reader a few bytes at a time.
ParsedLog ReadInPieces(std::string_view text, std::size_t pieceBytes) {
    LogReader reader;
    for (std::size_t at = 0; at < text.size(); at += pieceBytes) {
        reader.Read(text.substr(at, pieceBytes));
    }
    return reader.Finish();
}

bool SameLog(const ParsedLog& a, const ParsedLog& b) {
    return a.recognised == b.recognised && a.frames == b.frames && a.events == b.events &&
           a.skipped == b.skipped;
}

// The tabs stand between before and after.
struct WideRowCase {
    const char* name;
    std::string before;
    std::string after;
    bool recognised;
    SkippedRows skipped;
    std::size_t frames;
};

// A row of ten million tabs, wherever it stands, is skipped at once and
// costs no memory of its own.
class WideRows : public testing::TestWithParam<WideRowCase> {};

TEST_P(WideRows, AreSkippedWithinAMemoryCap) {
    if (!kMemoryCapHolds) GTEST_SKIP() << "a sanitizer's own address ranges hide the cap";
    const WideRowCase& c = GetParam();
    const std::string text = c.before + std::string(kManyTabs, '\t') + c.after;
    const auto readsAsExpected = [&c](const ParsedLog& log) {
        return log.recognised == c.recognised && log.skipped == c.skipped &&
               log.frames.size() == c.frames;
    };
    EXPECT_TRUE(RunsWithinMemory(kReadingMemory, [&] { return readsAsExpected(ParseLog(text)); }));
    EXPECT_TRUE(RunsWithinMemory(
        kReadingMemory, [&] { return readsAsExpected(ReadInPieces(text, std::size_t{1} << 20)); }));
}

constexpr SkippedRows kOneTooLong{.unreadable = 0, .tooLong = 1, .backwards = 0};

INSTANTIATE_TEST_SUITE_P(
    LogReader, WideRows,
    testing::Values(
        WideRowCase{"FirstRowIsNoLog", "", "\n" + LogHeader() + kRow, false, {}, 0},
        WideRowCase{"AmongFrames", LogHeader() + kRow, "\n" + kRow, true, kOneTooLong, 2},
        WideRowCase{"LastRowUnended", LogHeader() + kRow, "", true, kOneTooLong, 1},
        WideRowCase{"BeforeACarriageReturn", LogHeader(), "\r\n" + kRow, true, kOneTooLong, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// An event row of exactly the longest width is read; one byte more and it
// is skipped as too long.
TEST(LogReader, RowsUpToTheLongestWidthAreRead) {
    const std::string prefix = "MARK 1 - loaded file ";
    const std::string longest = prefix + std::string(kLongestLogRow - prefix.size(), 'a');
    for (const bool tooLong : {false, true}) {
        const std::string row = longest + (tooLong ? "a" : "");
        const ParsedLog log = ParseLog(LogHeader() + row + "\n" + kRow);
        EXPECT_EQ(log.events.size(), tooLong ? 0u : 1u) << tooLong;
        EXPECT_EQ(log.skipped.tooLong, tooLong ? 1u : 0u) << tooLong;
        EXPECT_EQ(log.frames.size(), 1u) << tooLong;
    }
}

// However the text is cut into pieces, what is read is the same.
TEST(LogReader, PiecesCutAnywhereReadAsTheWhole) {
    std::string text = LogHeader() + kRow + "MARK 1 - mark\r\n" +
                       "0.200\t2\t1.024\t1.424\t2.50000\t0\t100\t1\r\n" +
                       std::string(kLongestLogRow + 10, 'x') + "\n" +
                       "0.150\t1\t1\t1\t1\t0\t1\t0\n" + "garbage\n\n" + "0.300\t3\t1.024\t1.4";
    const ParsedLog whole = ParseLog(text);
    ASSERT_EQ(whole.frames.size(), 2u);
    ASSERT_EQ(whole.skipped, (SkippedRows{.unreadable = 2, .tooLong = 1, .backwards = 1}));
    for (const std::size_t piece : {1u, 2u, 3u, 7u, 64u, 4095u, 4096u, 4097u}) {
        EXPECT_TRUE(SameLog(ReadInPieces(text, piece), whole)) << piece;
    }
}

TEST(LogReader, ATextThatIsNoLogIsSeenToBeAfterItsFirstRow) {
    LogReader reader;
    reader.Read("Time\tCell\n0.100");
    EXPECT_FALSE(reader.MayBeALog());
    LogReader log;
    log.Read(LogHeader());
    EXPECT_TRUE(log.MayBeALog());
}

struct NumberCase {
    const char* name;
    const char* row;
};

// Numbers past what a reading or a time can be are no readings: before,
// 17179869.184 ms of petrol time read as 0, and larger ones overflowed.
const NumberCase kTooLarge[] = {
    {"PetrolPastThe32BitSteps", "0.100\t1\t17179869.184\t1.424\t2.50000\t0\t100\t0"},
    {"PetrolPastEveryUnit", "0.100\t1\t9223372036854775.807\t1.424\t2.50000\t0\t100\t0"},
    {"PetrolPast64Bits", "0.100\t1\t9223372036854775808\t1.424\t2.50000\t0\t100\t0"},
    {"TimePastTheMicroseconds", "9223372036854775.807\t1\t1.024\t1.424\t2.50000\t0\t100\t0"},
    {"LambdaPastTheProduct", "0.100\t1\t1.024\t1.424\t92233720368547.75807\t0\t100\t0"},
    {"LambdaJustPastFullScale", "0.100\t1\t1.024\t1.424\t5.00004\t0\t100\t0"},
    {"CellPast32Bits", "0.100\t4294967296\t1.024\t1.424\t2.50000\t0\t100\t0"},
};

class TooLargeNumbers : public testing::TestWithParam<NumberCase> {};

TEST_P(TooLargeNumbers, MakeTheRowUnreadable) {
    const ParsedLog log = ParseLog(LogHeader() + GetParam().row + "\n");
    EXPECT_TRUE(log.frames.empty());
    EXPECT_EQ(log.skipped.unreadable, 1u);
}

INSTANTIATE_TEST_SUITE_P(LogReader, TooLargeNumbers, testing::ValuesIn(kTooLarge),
                         [](const auto& info) { return std::string(info.param.name); });

// The largest readings still read, as before.
TEST(LogReader, TheLargestReadingsStillRead) {
    const ParsedLog log = ParseLog(
        LogHeader() + "9223372036854.775\t15\t262.141\t17179869.184\t5.00003\t1\t255\t0\n");
    ASSERT_EQ(log.frames.size(), 1u);
    EXPECT_EQ(log.frames[0].timeUs, 9'223'372'036'854'775'000);
    EXPECT_EQ(log.frames[0].petrolRaw, 65535);
    EXPECT_EQ(log.frames[0].gasTimeUs, INT32_MAX);
    EXPECT_EQ(log.frames[0].lambdaRaw, 65535);
}

// A log whose times run backwards plays its first frame only, and says why
// the others were skipped.
TEST(LogReader, FramesGoingBackInTimeAreCounted) {
    std::string text = LogHeader();
    for (int i = 0; i < 2000; ++i) {
        AppendFrameRow(text, {std::int64_t{2000 - i} * 1000, 1, 256, 1424, 30000, 100, 0});
    }
    const ParsedLog log = ParseLog(text);
    EXPECT_EQ(log.frames.size(), 1u);
    EXPECT_EQ(log.skipped, (SkippedRows{.unreadable = 0, .tooLong = 0, .backwards = 1999}));
}

}  // namespace
