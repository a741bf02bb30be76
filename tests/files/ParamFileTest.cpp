// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "files/ParamFile.h"

namespace {

// Every byte of every value differs, so a byte taken from the wrong place shows.
PanelParams DistinctPanel() {
    PanelParams params{};
    for (int k = 0; k < kParamCount; ++k) {
        const auto base = static_cast<std::uint32_t>(0x11 * (k + 1));
        params[k] =
            static_cast<std::int32_t>(0x80000000u | (base << 16) | (base << 8) | (base ^ 0x5A));
    }
    return params;
}

TEST(ParamFileTest, EveryValueInEveryPositionRoundTrips) {
    for (int v = 0; v <= kSpinHighest; ++v) {
        // Parameter k gets v + 17k, so over all v each position sees every value.
        PanelParams saved{};
        for (int k = 0; k < kParamCount; ++k) saved[k] = (v + 17 * k) % 256;

        const ParamFileBytes bytes = EncodeParamFile(saved);
        PanelParams loaded = DistinctPanel();
        ASSERT_EQ(DecodeParamFile(bytes, loaded), ParamFileLoad::Loaded);

        EXPECT_EQ(loaded, saved) << "v = " << v;
        for (int k = 0; k < kParamCount; ++k) {
            EXPECT_EQ(bytes[4 * k], saved[k]);
            EXPECT_EQ(bytes[4 * k + 1], 0);
            EXPECT_EQ(bytes[4 * k + 2], 0);
            EXPECT_EQ(bytes[4 * k + 3], 0);
        }
    }
}

TEST(ParamFileTest, Value200InParameter3IsC8000000AtOffset12) {
    PanelParams params{};
    params[3] = 200;

    const ParamFileBytes bytes = EncodeParamFile(params);

    ASSERT_EQ(bytes.size(), 64u);
    std::vector<std::uint8_t> expected(64, 0);
    expected[12] = 0xC8;
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), expected);
}

struct RecordCase {
    std::int32_t value;
    std::array<std::uint8_t, 4> bytes;  // lowest byte first
};

const RecordCase kRecordCases[] = {
    {0, {0x00, 0x00, 0x00, 0x00}},         {255, {0xFF, 0x00, 0x00, 0x00}},
    {256, {0x00, 0x01, 0x00, 0x00}},       {-1, {0xFF, 0xFF, 0xFF, 0xFF}},
    {-256, {0x00, 0xFF, 0xFF, 0xFF}},      {0x12345678, {0x78, 0x56, 0x34, 0x12}},
    {INT32_MAX, {0xFF, 0xFF, 0xFF, 0x7F}}, {INT32_MIN, {0x00, 0x00, 0x00, 0x80}},
};

class ParamRecordTest : public testing::TestWithParam<RecordCase> {};

TEST_P(ParamRecordTest, WritesLittleEndianAndReadsBack) {
    const RecordCase& c = GetParam();
    for (int k = 0; k < kParamCount; ++k) {
        PanelParams params{};
        params[k] = c.value;

        const ParamFileBytes bytes = EncodeParamFile(params);
        for (int b = 0; b < 4; ++b) EXPECT_EQ(bytes[4 * k + b], c.bytes[b]) << "k = " << k;

        PanelParams loaded = DistinctPanel();
        ASSERT_EQ(DecodeParamFile(bytes, loaded), ParamFileLoad::Loaded);
        EXPECT_EQ(loaded, params) << "k = " << k;
    }
}

void PrintTo(const RecordCase& c, std::ostream* os) {
    *os << c.value;
}

INSTANTIATE_TEST_SUITE_P(ParamFile, ParamRecordTest, testing::ValuesIn(kRecordCases));

TEST(ParamFileTest, TenByteFileReplacesOnlyTheBytesItHolds) {
    const std::vector<std::uint8_t> file{0x01, 0x02, 0x03, 0x04, 0x05,
                                         0x06, 0x07, 0x08, 0x09, 0x0A};
    const PanelParams before = DistinctPanel();
    PanelParams params = before;

    ASSERT_EQ(DecodeParamFile(file, params), ParamFileLoad::Loaded);

    PanelParams expected = before;
    expected[0] = 0x04030201;
    expected[1] = 0x08070605;
    expected[2] =
        static_cast<std::int32_t>((static_cast<std::uint32_t>(before[2]) & 0xFFFF0000u) | 0x0A09u);
    EXPECT_EQ(params, expected);
    EXPECT_NE(static_cast<std::uint32_t>(before[2]) & 0xFFFF0000u, 0u);  // high bytes were kept
}

TEST(ParamFileTest, EveryShortLengthLoadsExactlyItsPrefix) {
    PanelParams source{};
    for (int k = 0; k < kParamCount; ++k) source[k] = -(k * 0x01010101 + 0x10203);
    const ParamFileBytes full = EncodeParamFile(source);
    const ParamFileBytes old = EncodeParamFile(DistinctPanel());

    for (std::size_t n = 0; n <= kParamFileSize; ++n) {
        PanelParams params = DistinctPanel();
        ASSERT_EQ(DecodeParamFile(std::span(full).first(n), params), ParamFileLoad::Loaded);

        const ParamFileBytes after = EncodeParamFile(params);
        for (std::size_t i = 0; i < kParamFileSize; ++i) {
            EXPECT_EQ(after[i], i < n ? full[i] : old[i]) << "n = " << n << ", i = " << i;
        }
    }
}

TEST(ParamFileTest, EmptyFileChangesNothing) {
    PanelParams params = DistinctPanel();

    EXPECT_EQ(DecodeParamFile({}, params), ParamFileLoad::Loaded);

    EXPECT_EQ(params, DistinctPanel());
}

TEST(ParamFileTest, SixtyFourByteFileReplacesEverything) {
    std::vector<std::uint8_t> file(64);
    for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<std::uint8_t>(i * 3 + 1);
    PanelParams params = DistinctPanel();

    ASSERT_EQ(DecodeParamFile(file, params), ParamFileLoad::Loaded);

    const ParamFileBytes after = EncodeParamFile(params);
    EXPECT_EQ(std::vector<std::uint8_t>(after.begin(), after.end()), file);
}

TEST(ParamFileTest, LongerFileIsRefusedAndChangesNothing) {
    for (std::size_t size : {std::size_t{65}, std::size_t{128}, std::size_t{4096}}) {
        const std::vector<std::uint8_t> file(size, 0x42);
        PanelParams params = DistinctPanel();

        EXPECT_EQ(DecodeParamFile(file, params), ParamFileLoad::TooLong) << size;

        EXPECT_EQ(params, DistinctPanel()) << size;
    }
}

struct NameCase {
    const char* chosen;
    const char* saved;
};

const NameCase kNameCases[] = {
    {"a", "a.tq4"},
    {"a.txt", "a.txt.tq4"},
    {"a.TQ4", "a.TQ4.tq4"},
    {"a.Tq4", "a.Tq4.tq4"},
    {"abc", "abc.tq4"},
    {"x.tq4", "x.tq4"},
    {"", ".tq4"},
    {".tq4", ".tq4"},
    {"tq4", "tq4.tq4"},
    {"/home/fitter/sets/car 1.tq4", "/home/fitter/sets/car 1.tq4"},
    {"/home/fitter/sets/car.tq4.bak", "/home/fitter/sets/car.tq4.bak.tq4"},
    {"\xE5\x8F\x82\xE6\x95\xB0", "\xE5\x8F\x82\xE6\x95\xB0.tq4"},  // "参数"
    {"\xE5\x8F\x82\xE6\x95\xB0.tq4", "\xE5\x8F\x82\xE6\x95\xB0.tq4"},
};

class ParamExtensionTest : public testing::TestWithParam<NameCase> {};

TEST_P(ParamExtensionTest, AppendsUnlessLastFourBytesAreExactlyTq4) {
    EXPECT_EQ(WithParamExtension(GetParam().chosen), GetParam().saved);
}

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << '"' << c.chosen << '"';
}

INSTANTIATE_TEST_SUITE_P(ParamFile, ParamExtensionTest, testing::ValuesIn(kNameCases));

struct SpinCase {
    std::int32_t fileValue;
    int position;
};

// Low 16 bits as a signed number first, then the nearer end of 0..255.
const SpinCase kSpinCases[] = {{0, 0},         {1, 1},           {128, 128},         {255, 255},
                               {256, 255},     {300, 255},       {0x7FFF, 255},      {0x8000, 0},
                               {0xFFFF, 0},    {65536, 0},       {65536 + 120, 120}, {0x100FF, 255},
                               {-1, 0},        {-256, 0},        {-65536 + 5, 5},    {INT32_MIN, 0},
                               {INT32_MAX, 0}, {0x7FFF0080, 128}};

class SpinPositionTest : public testing::TestWithParam<SpinCase> {};

TEST_P(SpinPositionTest, LowSixteenBitsThenTheNearerEnd) {
    EXPECT_EQ(SpinPositionFor(GetParam().fileValue), GetParam().position);
}

void PrintTo(const SpinCase& c, std::ostream* os) {
    *os << c.fileValue;
}

INSTANTIATE_TEST_SUITE_P(ParamFile, SpinPositionTest, testing::ValuesIn(kSpinCases));

}  // namespace
